#include "chrome/Separator.h"

#include <algorithm>

#include "framework/Canvas.h"

TRzSeparator::TRzSeparator(TComponent* owner) : TControl(owner) {
    SetColor(clBtnFace);
    SetParentColor(true);
    SetBounds(Left(), Top(), 200, 2);
    UpdateGradient();
}

void TRzSeparator::SetHighlightColor(TColor color) {
    if (color == highlightColor_)
        return;
    highlightColor_ = color;
    UpdateGradient();
}

void TRzSeparator::SetHighlightLocation(TRzHighlightLocation location) {
    if (location == highlightLocation_)
        return;
    highlightLocation_ = location;
    UpdateGradient();
}

void TRzSeparator::SetOrientation(TOrientation orientation) {
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    if (!Loading())
        SetBounds(Left(), Top(), Height(), Width());
    UpdateGradient();
}

void TRzSeparator::SetShowGradient(bool show) {
    if (show == showGradient_)
        return;
    showGradient_ = show;
    Invalidate();
}

void TRzSeparator::Loaded() {
    UpdateGradient();
}

void TRzSeparator::ColorChanged() {
    UpdateGradient();
}

// The highlight in the middle runs from the ends (Color) to the centre;
// at one end, from the other end (the start colour) to that end (the stop).
void TRzSeparator::UpdateGradient() {
    bool horizontal = orientation_ == orHorizontal;
    if (highlightLocation_ == hlCenter)
        direction_ = horizontal ? gdVerticalCenter : gdHorizontalCenter;
    else
        direction_ = horizontal ? gdVerticalEnd : gdHorizontalEnd;
    bool highlightAtStart = highlightLocation_ == hlUpperLeft;
    colorA_ = highlightAtStart ? Color() : highlightColor_;
    colorB_ = highlightAtStart ? highlightColor_ : Color();
    Invalidate();
}

void TRzSeparator::Paint(TCanvas& canvas) {
    if (!showGradient_) {
        canvas.Brush.Color = Color();
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(ClientRect());
        return;
    }
    // The gradient needs a bitmap of at least one pixel.
    if (Width() < 1 || Height() < 1)
        SetBounds(Left(), Top(), std::max(Width(), 1), std::max(Height(), 1));
    TBitmap bitmap(Width(), Height());
    {
        TCanvas offscreen(bitmap);
        FillGradient(offscreen, ClientRect(), direction_, colorB_, colorA_, 1);
    }
    canvas.Draw(0, 0, bitmap);
}
