#include "chrome/Frame.h"

namespace {

struct RingColors {
    TColor ul;
    TColor lr;
};

TRect DrawRings(TCanvas& canvas, TRect rect, std::initializer_list<RingColors> rings,
                TSides sides) {
    for (const RingColors& ring : rings) {
        rect = DrawFrameRing(canvas, rect, ring.ul, ring.lr, sides);
    }
    return rect;
}

// Etched styles: two offset rings, with corner pixels set first so that a
// partial frame ends cleanly where a missing side would have met it.
TRect DrawEtched(TCanvas& canvas, const TRect& r, TColor ul, TColor lr, TSides sides) {
    const bool left = sides & sdLeft, top = sides & sdTop, right = sides & sdRight,
               bottom = sides & sdBottom;
    if (right || top) {
        canvas.SetPixel(r.Right - 1, r.Top, right ? lr : ul);
    }
    if (bottom || left) {
        canvas.SetPixel(r.Left, r.Bottom - 1, bottom ? lr : ul);
    }
    if (top && !left) {
        canvas.SetPixel(r.Left, r.Top + 1, lr);
    }
    if (left && !top) {
        canvas.SetPixel(r.Left + 1, r.Top, lr);
    }
    if (bottom && !right) {
        canvas.SetPixel(r.Right - 1, r.Bottom - 2, ul);
    }
    if (right && !bottom) {
        canvas.SetPixel(r.Right - 2, r.Bottom - 1, ul);
    }
    DrawFrameRing(canvas, Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom), lr, lr, sides);
    DrawFrameRing(canvas, Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1), ul, ul, sides);
    return Rect(r.Left + ((sides & sdLeft) ? 2 : 0), r.Top + ((sides & sdTop) ? 2 : 0),
                r.Right - ((sides & sdRight) ? 2 : 0), r.Bottom - ((sides & sdBottom) ? 2 : 0));
}

}  // namespace

TRect DrawFrameRing(TCanvas& canvas, const TRect& rect, TColor ul, TColor lr, TSides sides) {
    const auto [l, t, r, b] = rect;
    canvas.Pen.Width = 1;
    canvas.Pen.Mode = pmCopy;
    if (ul != clNone) {
        canvas.Pen.Color = ul;
        if (sides & sdLeft) {
            canvas.MoveTo(l, t);
            canvas.LineTo(l, b);
        }
        if (sides & sdTop) {
            canvas.MoveTo(l, t);
            canvas.LineTo(r, t);
        }
    }
    if (lr != clNone) {
        canvas.Pen.Color = lr;
        if (sides & sdRight) {
            canvas.MoveTo(r - 1, t);
            canvas.LineTo(r - 1, b);
        }
        if (sides & sdBottom) {
            canvas.MoveTo(l, b - 1);
            canvas.LineTo(r, b - 1);
        }
    }
    return Rect(l + ((sides & sdLeft) ? 1 : 0), t + ((sides & sdTop) ? 1 : 0),
                r - ((sides & sdRight) ? 1 : 0), b - ((sides & sdBottom) ? 1 : 0));
}

TRect DrawFrameStyle(TCanvas& canvas, const TRect& rect, TFrameStyle style, TSides sides) {
    switch (style) {
        case fsNone:
            return rect;
        case fsFlat:
        case fsFlatRounded:
            return DrawRings(canvas, rect, {{cl3DDkShadow, cl3DDkShadow}}, sides);
        case fsGroove:
            return DrawEtched(canvas, rect, clBtnShadow, clBtnHighlight, sides);
        case fsBump:
            return DrawEtched(canvas, rect, clBtnHighlight, clBtnShadow, sides);
        case fsLowered:
            return DrawRings(canvas, rect,
                             {{clBtnShadow, clBtnHighlight}, {cl3DDkShadow, cl3DLight}}, sides);
        case fsButtonDown:
            return DrawRings(canvas, rect, {{clBtnText, clBtnText}, {clBtnShadow, clBtnShadow}},
                             sides);
        case fsRaised:
            return DrawRings(canvas, rect,
                             {{cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}}, sides);
        case fsButtonUp:
            return DrawRings(canvas, rect,
                             {{clBtnHighlight, cl3DDkShadow}, {cl3DLight, clBtnShadow}}, sides);
        case fsStatus:
            return DrawRings(canvas, rect, {{clBtnShadow, clBtnHighlight}}, sides);
        case fsPopup:
            return DrawRings(canvas, rect, {{clBtnHighlight, clBtnShadow}}, sides);
        case fsFlatBold:
            return DrawRings(canvas, rect, {{clBtnShadow, clBtnShadow}, {clBtnShadow, clBtnShadow}},
                             sides);
    }
    return rect;
}
