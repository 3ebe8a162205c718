#include "chrome/StatusPane.h"

#include "chrome/AccessibleEvents.h"
#include "chrome/Lightness.h"
#include "chrome/Panel.h"
#include "chrome/StatusBar.h"
#include "framework/Application.h"
#include "framework/ControlCanvas.h"

// ------------------------------------------------------ TRzBlinkingControlsList

void TRzBlinkingControlsList::SetIntervalOn(std::uint16_t milliseconds) {
    intervalOn_ = milliseconds;
}

void TRzBlinkingControlsList::SetIntervalOff(std::uint16_t milliseconds) {
    intervalOff_ = milliseconds;
}

void TRzBlinkingControlsList::Tick() {
    onPhase_ = !onPhase_;
    Timer().SetInterval(onPhase_ ? intervalOn_ : intervalOff_);
    // A repaint may run code that frees panes, even the list itself.
    const bool on = onPhase_;
    ForEachClient([on](TRzCustomStatusPane* pane) {
        if (pane->Blinking())
            pane->SetBlinkPhase(on);
    });
}

// --------------------------------------------------------- TRzCustomStatusPane

TRzCustomStatusPane::TRzCustomStatusPane(TComponent* owner)
    : TControl(owner),
      TRzFrameControllerClient(static_cast<TControl&>(*this)),
      fillColor_(Color()),
      textColor_(Font().Color),
      fontColor_(Font().Color) {
    SetBounds(Left(), Top(), 100, 20);
    TRzBlinkingControlsList::Register(this);
}

TRzCustomStatusPane::~TRzCustomStatusPane() {
    TRzBlinkingControlsList::Unregister(this);
}

void TRzCustomStatusPane::TakeControllerFrame(TFrameStyle style, TColor flatColor) {
    frameStyle_ = style;
    flatColor_ = flatColor;
    Invalidate();
}

void TRzCustomStatusPane::SetAlignment(TTextAlign alignment) {
    StoreAndInvalidate(alignment_, alignment);
}
void TRzCustomStatusPane::SetDefaultWidth(int width) {
    StoreAndInvalidate(defaultWidth_, width);
}
void TRzCustomStatusPane::SetBorderWidth(int width) {
    StoreAndInvalidate(borderWidth_, width);
}
void TRzCustomStatusPane::SetFrameStyle(TFrameStyle style) {
    StoreAndInvalidate(frameStyle_, style);
}
void TRzCustomStatusPane::SetFlatColor(TColor color) {
    StoreAndInvalidate(flatColor_, color);
}
void TRzCustomStatusPane::SetFlatColorAdjustment(int amount) {
    StoreAndInvalidate(flatColorAdjustment_, amount);
}
void TRzCustomStatusPane::SetBlinkColor(TColor color) {
    StoreAndInvalidate(blinkColor_, color);
}

void TRzCustomStatusPane::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    ApplyAutoSize();
}

void TRzCustomStatusPane::SetCaptionOffset(int offset) {
    if (offset == captionOffset_)
        return;
    captionOffset_ = offset;
    Invalidate();
    ApplyAutoSize();
}

void TRzCustomStatusPane::SetFillColor(TColor color) {
    parentFillColor_ = false;
    StoreAndInvalidate(fillColor_, color);
}

void TRzCustomStatusPane::SetParentFillColor(bool parentFillColor) {
    if (parentFillColor == parentFillColor_)
        return;
    parentFillColor_ = parentFillColor;
    if (parentFillColor_)
        StoreAndInvalidate(fillColor_, Color());
}

void TRzCustomStatusPane::SetBlinking(bool blinking) {
    if (blinking == blinking_)
        return;
    blinking_ = blinking;
    if (!blinking_) {
        textColor_ = fontColor_;
        Repaint();
    }
}

std::uint16_t TRzCustomStatusPane::BlinkIntervalOn() const {
    return TRzBlinkingControlsList::Instance()->IntervalOn();
}
void TRzCustomStatusPane::SetBlinkIntervalOn(std::uint16_t milliseconds) {
    TRzBlinkingControlsList::Instance()->SetIntervalOn(milliseconds);
}
std::uint16_t TRzCustomStatusPane::BlinkIntervalOff() const {
    return TRzBlinkingControlsList::Instance()->IntervalOff();
}
void TRzCustomStatusPane::SetBlinkIntervalOff(std::uint16_t milliseconds) {
    TRzBlinkingControlsList::Instance()->SetIntervalOff(milliseconds);
}

void TRzCustomStatusPane::SetBlinkPhase(bool on) {
    textColor_ = on ? blinkColor_ : fontColor_;
    Repaint();
}

int TRzCustomStatusPane::AutoWidth() const {
    if (Caption().empty())
        return defaultWidth_;
    return TextWidth(Font(), Caption()) + 2 * borderWidth_ + captionOffset_ + 6;
}

void TRzCustomStatusPane::ApplyAutoSize() {
    if (autoSize_ && !Loading())
        SetWidth(AutoWidth());
}

TRect TRzCustomStatusPane::CaptionRect() const {
    int inset = borderWidth_;
    if (frameStyle_ == fsFlat || frameStyle_ == fsStatus || frameStyle_ == fsPopup)
        inset += 1;
    else if (frameStyle_ != fsNone)
        inset += 2;
    return InflateRect(ClientRect(), -inset, -inset);
}

bool TRzCustomStatusPane::IsNextToSizeGrip() const {
    auto* bar = dynamic_cast<TRzStatusBar*>(Parent());
    return bar != nullptr && bar->ShowsSizeGrip() &&
           Left() + Width() >= bar->StatusClientRect().Right;
}

void TRzCustomStatusPane::DrawFrame(TCanvas& canvas) {
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(ClientRect());
    TRect r = InflateRect(ClientRect(), -borderWidth_, -borderWidth_);
    if (frameStyle_ == fsFlat)
        DrawCornerlessRing(canvas, r, AdjustColorLightness(flatColor_, flatColorAdjustment_));
    else
        DrawFrameStyle(canvas, r, frameStyle_, sdAllSides);
}

void TRzCustomStatusPane::DrawCaption(TCanvas& canvas, const std::string& text) {
    TRect r = CaptionRect();
    canvas.Font = Font();
    canvas.Font.Color = textColor_;
    canvas.TextAlign = alignment_;
    int x = alignment_ == taLeft    ? r.Left + captionOffset_ + 1
            : alignment_ == taRight ? r.Right - captionOffset_ - 1
                                    : r.Left + r.Width() / 2;
    int y = r.Top + (r.Height() - canvas.TextHeight("Pp")) / 2;
    canvas.Brush.Color = fillColor_;
    canvas.Brush.Style = bsSolid;
    if (Enabled()) {
        canvas.TextRect(r, x, y, text);
        return;
    }
    canvas.Font.Color = clBtnHighlight;
    canvas.TextRect(r, x + 1, y + 1, text);
    canvas.Font.Color = clBtnShadow;
    canvas.Brush.Style = bsClear;
    canvas.TextRect(r, x, y, text);
}

void TRzCustomStatusPane::DrawCaptionNow(const std::string& text) {
    TControlCanvas canvas(*this);
    DrawCaption(canvas.Canvas(), text);
}

void TRzCustomStatusPane::Paint(TCanvas& canvas) {
    DrawFrame(canvas);
    DrawCaption(canvas, Caption());
}

void TRzCustomStatusPane::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TRzCustomStatusPane::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TRzCustomStatusPane::Loaded() {
    fontColor_ = Font().Color;
    if (!blinking_)
        textColor_ = fontColor_;
    ApplyAutoSize();
}

void TRzCustomStatusPane::TextChanged() {
    Invalidate();
    ApplyAutoSize();
    TellAccessible(*this, TAccessibleChange::Name);
}

void TRzCustomStatusPane::FontChanged() {
    Invalidate();
    if (Loading())
        return;
    fontColor_ = Font().Color;
    if (!blinking_)
        textColor_ = fontColor_;
    ApplyAutoSize();
}

void TRzCustomStatusPane::ColorChanged() {
    if (parentFillColor_)
        fillColor_ = Color();
    Invalidate();
}

// ---------------------------------------------------------------- TRzStatusPane

TRzStatusPane::~TRzStatusPane() {
    Application->RemoveHintListener(this);
}

void TRzStatusPane::SetAutoHint(bool autoHint) {
    if (autoHint == autoHint_)
        return;
    autoHint_ = autoHint;
    if (autoHint_)
        Application->AddHintListener(this, [this](const std::string& hint) { SetCaption(hint); });
    else
        Application->RemoveHintListener(this);
}
