#include "chrome/StatusBar.h"

#include <cmath>

#include "framework/Canvas.h"
#include "framework/Form.h"

TRzStatusBar::TRzStatusBar(TComponent* owner) : TRzCustomPanel(owner) {
    SetAlign(alBottom);
    SetColor(clBtnFace);
    ApplyAutoStyle();
}

void TRzStatusBar::ApplyAutoStyle() {
    applyingStyle_ = true;
    SetBorderInner(fsNone);
    SetBorderOuter(fsNone);
    SetBorderSides(sdAllSides);
    SetHeight(19);
    SetBorderWidth(0);
    applyingStyle_ = false;
}

void TRzStatusBar::SetAutoStyle(bool autoStyle) {
    if (autoStyle == autoStyle_)
        return;
    autoStyle_ = autoStyle;
    if (autoStyle_)
        ApplyAutoStyle();
}

void TRzStatusBar::BordersChanged() {
    TRzCustomPanel::BordersChanged();
    if (!applyingStyle_)
        autoStyle_ = false;
}

void TRzStatusBar::Loaded() {
    TRzCustomPanel::Loaded();
    if (autoStyle_)
        ApplyAutoStyle();
}

void TRzStatusBar::SetShowSizeGrip(bool show) {
    if (show == showSizeGrip_)
        return;
    showSizeGrip_ = show;
    Invalidate();
}

void TRzStatusBar::SetSimpleCaption(const std::string& caption) {
    if (caption == simpleCaption_)
        return;
    simpleCaption_ = caption;
    Invalidate();
}

void TRzStatusBar::SetSimpleFrameStyle(TFrameStyle style) {
    if (style == simpleFrameStyle_)
        return;
    simpleFrameStyle_ = style;
    Invalidate();
}

// Only the panes that simple status hid are shown again when it ends, so a
// pane hidden on purpose (the progress bar) stays hidden.
void TRzStatusBar::SetSimpleStatus(bool simple) {
    if (simple == simpleStatus_)
        return;
    simpleStatus_ = simple;
    DisableAlign();
    if (simpleStatus_) {
        hiddenBySimple_.clear();
        for (TControl* control : Controls())
            if (control->Visible()) {
                hiddenBySimple_.push_back(control);
                control->SetVisible(false);
            }
    } else {
        for (TControl* control : Controls())
            if (std::find(hiddenBySimple_.begin(), hiddenBySimple_.end(), control) !=
                hiddenBySimple_.end())
                control->SetVisible(true);
        hiddenBySimple_.clear();
    }
    EnableAlign();
    Invalidate();
}

bool TRzStatusBar::ShowsSizeGrip() const {
    TCustomForm* form = GetParentForm(const_cast<TRzStatusBar*>(this));
    return showSizeGrip_ && form != nullptr && form->Sizeable() &&
           form->WindowState() != wsMaximized;
}

TRect TRzStatusBar::StatusClientRect() const {
    if (simpleStatus_)
        return Rect(0, 2, Width(), Height() + 1);
    return Rect(-1, 1, Width() + 1, Height() + 1);
}

void TRzStatusBar::Resize() {
    int width = Width();
    if (!firstResize_ && lastWidth_ > 0 && autoScalePanes_ && ControlCount() > 0 &&
        width != lastWidth_) {
        int delta = width - lastWidth_;
        DisableAlign();
        for (TControl* control : Controls()) {
            float ratio = static_cast<float>(control->Width()) / static_cast<float>(lastWidth_);
            control->SetWidth(control->Width() + static_cast<int>(std::nearbyint(delta * ratio)));
        }
        EnableAlign();
    }
    firstResize_ = false;
    lastWidth_ = width;
}

void TRzStatusBar::Paint(TCanvas& canvas) {
    TRzCustomPanel::Paint(canvas);
    if (simpleStatus_)
        DrawSimpleFrame(canvas);
}

void TRzStatusBar::DrawSimpleFrame(TCanvas& canvas) const {
    TRect r = StatusClientRect();
    r.Bottom -= 1;
    if (simpleFrameStyle_ == fsFlat)
        DrawCornerlessRing(canvas, r, FlatFrameColor());
    else
        DrawFrameStyle(canvas, r, simpleFrameStyle_, sdAllSides);
    r = InflateRect(r, -1, -1);
    if (simpleCaption_.empty())
        return;
    canvas.Font = Font();
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.TextAlign = taLeft;
    canvas.TextRect(r, r.Left + 2, r.Top + (r.Height() - canvas.TextHeight("Pp")) / 2,
                    simpleCaption_);
}

void TRzStatusBar::PaintOverChildren(TCanvas& canvas) {
    if (ShowsSizeGrip())
        DrawSizeGrip(canvas);
}

// Three columns of 2 x 2 squares standing on the bottom-right corner (three,
// two and one high), in highlight, then again one pixel up and left in
// shadow.
void TRzStatusBar::DrawSizeGrip(TCanvas& canvas) const {
    TRect client = StatusClientRect();
    canvas.Brush.Style = bsSolid;
    for (auto [shift, color] : {std::pair{0, clBtnHighlight}, std::pair{1, clBtnShadow}}) {
        int right = client.Right - 1 - shift, bottom = client.Bottom - 1 - shift;
        canvas.Brush.Color = color;
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row <= 2 - column; ++row) {
                int x = right - 4 - 4 * column, y = bottom - 4 - 4 * row;
                canvas.FillRect(Rect(x, y, x + 2, y + 2));
            }
    }
}

TCursor TRzStatusBar::CursorAt(TPoint p) const {
    return InGrip(p) ? crSizeNWSE : Cursor();
}

void TRzStatusBar::MouseDown(TMouseButton button, TShiftState, int x, int y) {
    if (button != mbLeft || !InGrip({x, y}))
        return;
    SetMouseCapture(false);
    GetParentForm(this)->SystemCommand(SC_SIZE + WMSZ_BOTTOMRIGHT);
}
