#include "chrome/ToolButton.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "chrome/AccessibleEvents.h"
#include "chrome/Frame.h"
#include "chrome/Lightness.h"
#include "chrome/Toolbar.h"
#include "framework/Canvas.h"

namespace {

constexpr int kArrowStrip = 14;

// The median pixel of `area` by brightness: under a caption's text before it
// is drawn, the background it is written on, however that runs from light to
// dark. clNone when the canvas cannot be read back or the area is empty.
TColor BackgroundUnder(const TCanvas& canvas, const TRect& area) {
    std::vector<std::pair<double, TColor>> pixels;
    for (int y = area.Top; y < area.Bottom; ++y) {
        for (int x = area.Left; x < area.Right; ++x) {
            const TColor pixel = canvas.Pixel(x, y);
            if (pixel == clNone)
                return clNone;
            pixels.emplace_back(RelativeLuminance(pixel), pixel);
        }
    }
    if (pixels.empty())
        return clNone;
    auto middle = pixels.begin() + static_cast<std::ptrdiff_t>(pixels.size() / 2);
    std::nth_element(pixels.begin(), middle, pixels.end());
    return middle->second;
}

}  // namespace

TRzToolButton::TRzToolButton(TComponent* owner) : TControl(owner) {
    syncing_ = true;
    SetBounds(Left(), Top(), 25, 25);
    syncing_ = false;
}

TRzToolbar* TRzToolButton::Toolbar() const {
    return dynamic_cast<TRzToolbar*>(Parent());
}

// ------------------------------------------------------------ synchronising

void TRzToolButton::SyncShowCaption() {
    if (TRzToolbar* toolbar = Toolbar(); toolbar != nullptr && useToolbarShowCaption_)
        StoreAndInvalidate(showCaption_, toolbar->ShowButtonCaptions());
}

void TRzToolButton::SyncLayout() {
    if (TRzToolbar* toolbar = Toolbar(); toolbar != nullptr && useToolbarButtonLayout_)
        StoreAndInvalidate(layout_, toolbar->ButtonLayout());
}

// The toolbar's button width, widened to fit the caption when it shows and
// by the arrow strip of a drop-down button.
void TRzToolButton::SyncSize() {
    TRzToolbar* toolbar = Toolbar();
    if (toolbar == nullptr || !useToolbarButtonSize_)
        return;
    int width = toolbar->ButtonWidth();
    if (showCaption_) {
        int text = TextWidth(Font(), Caption());
        bool sideBySide = layout_ == blGlyphLeft || layout_ == blGlyphRight;
        width = std::max(width, sideBySide ? ImageWidth() + text + 12 : text + 8);
    }
    if (toolStyle_ == tsDropDown)
        width += kArrowStrip;
    syncing_ = true;
    SetBounds(Left(), Top(), width, toolbar->ButtonHeight());
    syncing_ = false;
}

void TRzToolButton::SyncAll() {
    if (Loading())
        return;
    SyncShowCaption();
    SyncLayout();
    SyncSize();
}

void TRzToolButton::Loaded() {
    SyncAll();
}

void TRzToolButton::ParentChanged() {
    SyncAll();
}

void TRzToolButton::TextChanged() {
    SyncAll();
    Invalidate();
    TellAccessible(*this, TAccessibleChange::Name);
}

void TRzToolButton::SetBounds(int left, int top, int width, int height) {
    if (!Loading() && !syncing_ && (width != Width() || height != Height()))
        useToolbarButtonSize_ = false;
    TControl::SetBounds(left, top, width, height);
}

void TRzToolButton::SetShowCaption(bool show) {
    if (!Loading())
        useToolbarShowCaption_ = false;
    StoreAndInvalidate(showCaption_, show);
}

void TRzToolButton::SetLayout(TButtonLayout layout) {
    if (layout == layout_)
        return;
    if (!Loading())
        useToolbarButtonLayout_ = false;
    layout_ = layout;
    SyncAll();
    Invalidate();
}

void TRzToolButton::SetUseToolbarShowCaption(bool use) {
    useToolbarShowCaption_ = use;
    if (use && !Loading())
        SyncShowCaption();
}

void TRzToolButton::SetUseToolbarButtonLayout(bool use) {
    useToolbarButtonLayout_ = use;
    if (use && !Loading())
        SyncLayout();
}

void TRzToolButton::SetUseToolbarButtonSize(bool use) {
    useToolbarButtonSize_ = use;
    if (use && !Loading())
        SyncSize();
}

// ------------------------------------------------------------ properties

void TRzToolButton::SetImages(TImageList* images) {
    images_ = images;
    if (images != nullptr)
        images->FreeNotification(this);
    if (images != nullptr) {
        syncing_ = true;
        SetBounds(Left(), Top(), std::max(Width(), images->Width()),
                  std::max(Height(), images->Height()));
        syncing_ = false;
    }
    Invalidate();
}

TImageList* TRzToolButton::ActiveImages() const {
    if (images_ != nullptr)
        return images_;
    TRzToolbar* toolbar = Toolbar();
    return toolbar != nullptr ? toolbar->Images() : nullptr;
}

void TRzToolButton::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == images_)
        images_ = nullptr;
}

void TRzToolButton::SetImageIndex(int index) {
    StoreAndInvalidate(imageIndex_, index);
}
void TRzToolButton::SetDownIndex(int index) {
    StoreAndInvalidate(downIndex_, index);
}
void TRzToolButton::SetHotIndex(int index) {
    StoreAndInvalidate(hotIndex_, index);
}
void TRzToolButton::SetDisabledIndex(int index) {
    StoreAndInvalidate(disabledIndex_, index);
}
void TRzToolButton::SetFlat(bool flat) {
    StoreAndInvalidate(flat_, flat);
}
void TRzToolButton::SetTransparent(bool transparent) {
    StoreAndInvalidate(transparent_, transparent);
}

void TRzToolButton::SetToolStyle(TRzToolStyle style) {
    if (style == toolStyle_)
        return;
    toolStyle_ = style;
    SyncSize();
    Invalidate();
}

// ------------------------------------------------------------ state

void TRzToolButton::SetState(TRzButtonState state) {
    StoreAndInvalidate(state_, state);
}

void TRzToolButton::SetDown(bool down) {
    if (groupIndex_ == 0 || down == down_)
        return;
    down_ = down;
    ShowRestingState();
    if (down)
        RaiseForGroup(allowAllUp_);
}

// The other buttons of the group go up and take the sender's AllowAllUp.
void TRzToolButton::RaiseForGroup(bool allowAllUp) {
    if (Parent() == nullptr)
        return;
    for (TControl* control : Parent()->Controls()) {
        auto* other = dynamic_cast<TRzToolButton*>(control);
        if (other == nullptr || other == this || other->groupIndex_ != groupIndex_)
            continue;
        other->allowAllUp_ = allowAllUp;
        if (other->down_) {
            other->down_ = false;
            other->ShowRestingState();
        }
    }
}

// Disabled whatever Down says; otherwise exclusive while latched in a group.
void TRzToolButton::ShowRestingState() {
    SetState(!Enabled() ? bsDisabled : down_ && groupIndex_ != 0 ? bsExclusive : bsUp);
}

void TRzToolButton::EnabledChanged() {
    if (!Enabled())
        pressedInside_ = false;
    ShowRestingState();
    Invalidate();
    TellAccessible(*this, TAccessibleChange::State);
}

void TRzToolButton::MouseDown(TMouseButton button, TShiftState, int, int) {
    if (button != mbLeft || !Enabled())
        return;
    if (!down_ || state_ == bsExclusive)
        SetState(bsDown);
    pressedInside_ = true;
}

void TRzToolButton::MouseMove(TShiftState, int x, int y) {
    if (!pressedInside_)
        return;
    bool inside = ClientRect().Contains({x, y});
    SetState(down_ ? bsExclusive : inside ? bsDown : bsUp);
}

void TRzToolButton::MouseUp(TMouseButton, TShiftState, int x, int y) {
    if (!pressedInside_)
        return;
    pressedInside_ = false;
    bool inside = ClientRect().Contains({x, y});
    bool click = inside;
    const bool wasOver = mouseOver_;
    if (groupIndex_ == 0) {
        SetState(bsUp);
        mouseOver_ = false;
        if (inside)
            Repaint();
    } else {
        if (inside)
            click = ToggleForClick();
        SetState(down_ ? bsExclusive : bsUp);
        Repaint();
    }
    if (click) {
        const std::weak_ptr<void> alive = Lifetime();
        Click();
        if (alive.expired())
            return;  // the handler freed this button, its toolbar or its form
    }
    SetMouseOver(inside, wasOver);
}

void TRzToolButton::MouseEnter() {
    if (!mouseOver_)
        SetMouseOver(true, false);
}

void TRzToolButton::MouseLeave() {
    if (mouseOver_)
        SetMouseOver(false, true);
}

bool TRzToolButton::ToggleForClick() {
    if (groupIndex_ == 0)
        return true;
    if (down_ && !allowAllUp_)
        return false;
    SetDown(!down_);
    return true;
}

void TRzToolButton::Press() {
    if (Enabled() && ToggleForClick())
        Click();
}

bool TRzToolButton::DialogChar(char32_t ch) {
    if (!IsAccel(ch, Caption()) || !Enabled() || !Visible() || Parent() == nullptr ||
        !Parent()->Showing())
        return false;
    Click();
    return true;
}

// The events report real crossings only: `wasOver` is what the last one
// said, so a release that merely re-evaluates the flag stays silent.
void TRzToolButton::SetMouseOver(bool over, bool wasOver) {
    mouseOver_ = over;
    if (over != wasOver) {
        const std::weak_ptr<void> alive = Lifetime();
        CallEvent(over ? OnMouseEnter : OnMouseLeave, this);
        if (alive.expired())
            return;
    }
    if (flat_)
        Repaint();
}

std::string TRzToolButton::ShownHint() const {
    if (!Hint().empty() || !showCaption_ || CaptionFits())
        return Hint();
    return StripAccel(Caption());
}

// ------------------------------------------------------------ geometry

int TRzToolButton::ImageWidth() const {
    TImageList* images = ActiveImages();
    return images != nullptr ? images->Width() : 0;
}

int TRzToolButton::ImageHeight() const {
    TImageList* images = ActiveImages();
    return images != nullptr ? images->Height() : 0;
}

TRect TRzToolButton::ContentRect() const {
    TRect r = ClientRect();
    if (toolStyle_ == tsDropDown)
        r.Right -= kArrowStrip;
    return InflateRect(r, -2, -2);
}

// The room the caption takes, word-wrapped to the width of `r`.
TRect TRzToolButton::MeasureCaption(TRect r) const {
    TBitmap scratch(1, 1);
    TCanvas canvas(scratch);
    canvas.Font = Font();
    canvas.DrawText(r, Caption(), dtCenter | dtWordBreak | dtCalcRect);
    return r;
}

int TRzToolButton::CaptionHeight() const {
    return MeasureCaption(ContentRect()).Height();
}

bool TRzToolButton::CaptionFits() const {
    const TRect r = CaptionRect();
    const TRect measured = MeasureCaption(r);
    return measured.Width() <= r.Width() && measured.Height() <= r.Height();
}

TRect TRzToolButton::PressedOffset(TRect r) const {
    return Pressed() ? OffsetRect(r, 1, 1) : r;
}

TRect TRzToolButton::ImageRect() const {
    TRect base = ContentRect();
    int w = ImageWidth(), h = ImageHeight(), text = CaptionHeight();
    int spare = (Height() - (h + text + 4)) / 2;
    int left = base.Left + (base.Width() - w) / 2;
    int top = base.Top + (base.Height() - h) / 2;
    switch (layout_) {
        case blGlyphLeft:
            left = base.Left + 2;
            break;
        case blGlyphRight:
            left = base.Right - w - 2;
            break;
        case blGlyphTop:
            top = spare;
            break;
        case blGlyphBottom:
            top = base.Top + text + spare;
            break;
    }
    return PressedOffset(Bounds(left, top, w, h));
}

TRect TRzToolButton::CaptionRect() const {
    TRect r = ContentRect();
    if (imageIndex_ != -1) {
        int w = ImageWidth(), h = ImageHeight(), text = CaptionHeight();
        int spare = (Height() - (h + text + 4)) / 2;
        switch (layout_) {
            case blGlyphLeft:
                r.Left += w + 4;
                break;
            case blGlyphRight:
                r.Right -= w + 4;
                break;
            case blGlyphTop:
                r.Top += spare + h;
                r.Bottom = r.Top + text;
                break;
            case blGlyphBottom:
                r.Top += spare;
                r.Bottom = r.Top + text;
                break;
        }
    }
    return PressedOffset(r);
}

// ------------------------------------------------------------ painting

TRect TRzToolButton::DrawFrame(TCanvas& canvas) const {
    TRect r = ClientRect();
    if (flat_) {
        if (!Pressed() && !Hot())
            return r;
        return DrawFrameStyle(canvas, r, Pressed() ? fsStatus : fsPopup, sdAllSides);
    }
    return DrawFrameStyle(canvas, r, Pressed() ? fsLowered : fsButtonUp, sdAllSides);
}

void TRzToolButton::DrawBackground(TCanvas& canvas, const TRect& rect) const {
    if (state_ == bsExclusive && !(flat_ && Hot())) {
        canvas.Brush.Style = bsCheckered;
        canvas.Brush.Color = transparent_ ? clBtnFace : Color();
        canvas.Brush.CheckerColor =
            transparent_ ? clBtnHighlight : AdjustColorLightness(Color(), 20);
        canvas.FillRect(rect);
    } else if (!transparent_) {
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = Color();
        canvas.FillRect(rect);
    }
    canvas.Brush.Style = bsSolid;
}

// A small black triangle pointing down, centred in the arrow strip.
void TRzToolButton::DrawDropDownArrow(TCanvas& canvas) const {
    int x = Width() - kArrowStrip + (kArrowStrip - 5) / 2 + (Pressed() ? 1 : 0);
    int y = Height() / 2 - 1 + (Pressed() ? 1 : 0);
    canvas.Pen.Color = Enabled() ? clBtnText : clBtnShadow;
    for (int row = 0; row < 3; ++row) {
        canvas.MoveTo(x + row, y + row);
        canvas.LineTo(x + 5 - row, y + row);
    }
}

void TRzToolButton::DrawImage(TCanvas& canvas) const {
    TImageList* images = ActiveImages();
    if (images == nullptr || imageIndex_ == -1)
        return;
    TRect r = ImageRect();
    int index = imageIndex_;
    bool enabled = Enabled();
    if (Pressed() && downIndex_ != -1) {
        index = downIndex_;
        enabled = true;
    } else if (disabledIndex_ != -1 && !Enabled()) {
        index = disabledIndex_;
        enabled = true;
    } else if (hotIndex_ != -1 && Hot()) {
        index = hotIndex_;
    }
    images->Draw(canvas, r.Left, r.Top, index, enabled);
}

// A resting caption keeps the font's colour where that reads well on what
// lies under its text (a toolbar's gradient may run from white to dark blue),
// and turns black or white where it would not.
void TRzToolButton::DrawCaption(TCanvas& canvas) const {
    TRect r = CaptionRect();
    canvas.Font = Font();
    canvas.Brush.Style = bsClear;
    TRect measured = r;
    int height = canvas.DrawText(measured, Caption(), dtCenter | dtWordBreak | dtCalcRect);
    r.Top = (r.Top + r.Bottom - height) / 2;
    if (!Enabled()) {
        canvas.Font.Color = clBtnShadow;
    } else if (state_ == bsDown) {
        canvas.Font.Color = clHighlightText;
    } else {
        const TRect text = IntersectRect(r, Bounds(r.Left + (r.Width() - measured.Width()) / 2,
                                                   r.Top, measured.Width(), height));
        const TColor under = BackgroundUnder(canvas, text);
        if (under != clNone)
            canvas.Font.Color = ReadableTextColor(canvas.Font.Color, under);
    }
    canvas.DrawText(r, Caption(), dtCenter | dtWordBreak);
}

void TRzToolButton::Paint(TCanvas& canvas) {
    TRect r = DrawFrame(canvas);
    DrawBackground(canvas, r);
    if (toolStyle_ == tsDropDown)
        DrawDropDownArrow(canvas);
    DrawImage(canvas);
    if (showCaption_)
        DrawCaption(canvas);
    if (TRzToolbar* toolbar = Toolbar(); toolbar != nullptr && toolbar->ShowsFocus(this))
        canvas.DrawFocusRect(InflateRect(ClientRect(), -2, -2));
}
