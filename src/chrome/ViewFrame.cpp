#include "chrome/ViewFrame.h"

#include "framework/Canvas.h"

TColor TViewFrame::StateColor(TColor normal, bool enabled, bool focused) const {
    if (!enabled)
        return disabledColor_;
    return focused ? focusColor_ : normal;
}

void TViewFrame::Paint(TCanvas& canvas, const TRect& rect, TColor background, bool focused) const {
    canvas.Brush.Color = background;
    canvas.FillRect(rect);
    if (!frameVisible_) {
        DrawFrameStyle(canvas, rect, fsLowered, sdAllSides);
        return;
    }
    const bool hot = Hot(focused);
    const TFrameStyle style = hot ? frameHotStyle_ : frameStyle_;
    const TColor color = hot ? frameHotColor_ : frameColor_;
    if (style == fsFlat || style == fsFlatBold) {
        const TRect inner = DrawFrameRing(canvas, rect, color, color, frameSides_);
        if (style == fsFlatBold)
            DrawFrameRing(canvas, inner, color, color, frameSides_);
    } else {
        DrawFrameStyle(canvas, rect, style, frameSides_);
    }
}
