#include "chrome/Spacer.h"

#include "framework/Canvas.h"

TRzSpacer::TRzSpacer(TComponent* owner) : TControl(owner) {
    SetBounds(Left(), Top(), 8, 25);
}

void TRzSpacer::SetGrooved(bool grooved) {
    if (grooved == grooved_)
        return;
    grooved_ = grooved;
    Invalidate();
}

void TRzSpacer::SetOrientation(TOrientation orientation) {
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    if (!Loading())
        SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

// In a horizontal bar the spacer separates side by side, so the line runs
// down; in a vertical bar it runs across.
void TRzSpacer::Paint(TCanvas& canvas) {
    if (!grooved_)
        return;
    canvas.Pen.Width = 1;
    bool down = orientation_ == orHorizontal;
    int middle = (down ? Width() : Height()) / 2 - 1;
    for (auto [offset, color] : {std::pair{0, clBtnShadow}, std::pair{1, clBtnHighlight}}) {
        canvas.Pen.Color = color;
        if (down) {
            canvas.MoveTo(middle + offset, 0);
            canvas.LineTo(middle + offset, Height());
        } else {
            canvas.MoveTo(0, middle + offset);
            canvas.LineTo(Width(), middle + offset);
        }
    }
}
