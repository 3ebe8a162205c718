#pragma once

#include "framework/Canvas.h"
#include "framework/Geometry.h"

// Frame styles and the sides they are drawn on. The order of the values is
// the stored form of every property of these types.
enum TFrameStyle {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold,
    // Only in the extended set (panel borders); DrawFrameStyle draws it as fsFlat.
    fsFlatRounded,
};
using TFrameStyleEx = TFrameStyle;

// A side of a rectangle as a bit of a TSides mask.
enum TSide : unsigned { sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8 };
using TSides = unsigned;
constexpr TSides sdAllSides = sdLeft | sdTop | sdRight | sdBottom;

// One ring of 1-pixel lines: the left column and top row in ul, then the
// right column and bottom row in lr, each only on the sides in the mask; a
// clNone colour leaves its lines out. Returns the rectangle shrunk by 1 on
// each side in the mask.
TRect DrawFrameRing(TCanvas& canvas, const TRect& rect, TColor ul, TColor lr, TSides sides);

// Draws the frame style on the chosen sides and returns the rectangle left
// inside its lines (unchanged for fsNone).
TRect DrawFrameStyle(TCanvas& canvas, const TRect& rect, TFrameStyle style, TSides sides);
