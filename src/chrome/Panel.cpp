#include "chrome/Panel.h"

#include "chrome/Lightness.h"
#include "framework/Canvas.h"

void DrawCornerlessRing(TCanvas& canvas, const TRect& r, TColor color, TSides sides) {
    canvas.Pen.Color = color;
    canvas.Pen.Width = 1;
    auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    if (sides & sdLeft)
        line(r.Left, r.Top + 1, r.Left, r.Bottom - 1);
    if (sides & sdTop)
        line(r.Left + 1, r.Top, r.Right - 1, r.Top);
    if (sides & sdRight)
        line(r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    if (sides & sdBottom)
        line(r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
}

TRzCustomPanel::TRzCustomPanel(TComponent* owner) : TWinControl(owner) {
    SetParentColor(false);
}

void TRzCustomPanel::SetBorderOuter(TFrameStyleEx style) {
    if (style == borderOuter_)
        return;
    borderOuter_ = style;
    BordersChanged();
}

void TRzCustomPanel::SetBorderInner(TFrameStyleEx style) {
    if (style == borderInner_)
        return;
    borderInner_ = style;
    BordersChanged();
}

void TRzCustomPanel::SetBorderSides(TSides sides) {
    if (sides == borderSides_)
        return;
    borderSides_ = sides;
    BordersChanged();
}

void TRzCustomPanel::BordersChanged() {
    Invalidate();
    Realign();
}

void TRzCustomPanel::SetBorderWidth(int width) {
    if (width == borderWidth_)
        return;
    borderWidth_ = width;
    TRzCustomPanel::BordersChanged();
}

void TRzCustomPanel::SetBevelWidth(int width) {
    if (width == bevelWidth_)
        return;
    bevelWidth_ = width;
    TRzCustomPanel::BordersChanged();
}

void TRzCustomPanel::SetBorderColor(TColor color) {
    StoreAndInvalidate(borderColor_, color);
}
void TRzCustomPanel::SetBorderHighlight(TColor color) {
    StoreAndInvalidate(borderHighlight_, color);
}
void TRzCustomPanel::SetBorderShadow(TColor color) {
    StoreAndInvalidate(borderShadow_, color);
}
void TRzCustomPanel::SetFlatColor(TColor color) {
    StoreAndInvalidate(flatColor_, color);
}
void TRzCustomPanel::SetFlatColorAdjustment(int amount) {
    StoreAndInvalidate(flatColorAdjustment_, amount);
}
void TRzCustomPanel::SetTransparent(bool transparent) {
    StoreAndInvalidate(transparent_, transparent);
}
void TRzCustomPanel::SetUseGradients(bool use) {
    StoreAndInvalidate(useGradients_, use);
}
void TRzCustomPanel::SetGradientColorStart(TColor color) {
    StoreAndInvalidate(gradientColorStart_, color);
}
void TRzCustomPanel::SetGradientColorStop(TColor color) {
    StoreAndInvalidate(gradientColorStop_, color);
}
void TRzCustomPanel::SetGradientDirection(TGradientDirection direction) {
    StoreAndInvalidate(gradientDirection_, direction);
}

TColor TRzCustomPanel::FlatFrameColor() const {
    return AdjustColorLightness(flatColor_, flatColorAdjustment_);
}

int TRzCustomPanel::FrameWidth(TFrameStyleEx style) const {
    switch (style) {
        case fsNone:
            return 0;
        case fsFlat:
        case fsFlatRounded:
            return 1;
        case fsStatus:
        case fsPopup:
            return bevelWidth_;
        default:
            return 2;
    }
}

TRect TRzCustomPanel::InsideRect() const {
    int inset = FrameWidth(borderOuter_) + borderWidth_ + FrameWidth(borderInner_);
    TRect r = ClientRect();
    if (borderSides_ & sdLeft)
        r.Left += inset;
    if (borderSides_ & sdTop)
        r.Top += inset;
    if (borderSides_ & sdRight)
        r.Right -= inset;
    if (borderSides_ & sdBottom)
        r.Bottom -= inset;
    return r;
}

TRect TRzCustomPanel::DrawBorder(TCanvas& canvas, const TRect& rect, TFrameStyleEx style) const {
    TRect r = rect;
    switch (style) {
        case fsFlat:
        case fsFlatBold:
            for (int i = 0; i < (style == fsFlat ? 1 : 2); ++i)
                r = DrawFrameRing(canvas, r, FlatFrameColor(), FlatFrameColor(), borderSides_);
            return r;
        case fsPopup:
        case fsStatus: {
            TColor ul = style == fsPopup ? borderHighlight_ : borderShadow_;
            TColor lr = style == fsPopup ? borderShadow_ : borderHighlight_;
            for (int i = 0; i < bevelWidth_; ++i)
                r = DrawFrameRing(canvas, r, ul, lr, borderSides_);
            return r;
        }
        case fsFlatRounded:
            DrawCornerlessRing(canvas, r, FlatFrameColor(), borderSides_);
            return DrawFrameRing(canvas, r, clNone, clNone, borderSides_);
        default:
            return DrawFrameStyle(canvas, r, style, borderSides_);
    }
}

void TRzCustomPanel::DrawBackground(TCanvas& canvas, const TRect& inside) const {
    if (useGradients_) {
        FillGradient(canvas, inside, gradientDirection_, gradientColorStart_, gradientColorStop_,
                     1);
        return;
    }
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(inside);
}

void TRzCustomPanel::Paint(TCanvas& canvas) {
    TRect r = DrawBorder(canvas, ClientRect(), borderOuter_);
    for (int i = 0; i < borderWidth_; ++i)
        r = DrawFrameRing(canvas, r, borderColor_, borderColor_, borderSides_);
    r = DrawBorder(canvas, r, borderInner_);
    if (!transparent_)
        DrawBackground(canvas, r);
    if (!Caption().empty()) {
        canvas.Font = Font();
        canvas.Brush.Style = bsClear;
        canvas.DrawText(r, Caption(), dtCenter | dtVCenter | dtSingleLine);
    }
    if (OnPaint)
        OnPaint(this);
}
