#pragma once

#include <cstdint>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Geometry.h"

// The order of the values is the stored form of every property of these types.
enum TOrientation { orHorizontal, orVertical };

enum TGradientDirection {
    gdDiagonalUp,        // from the bottom-left corner (start) to the top-right (stop)
    gdDiagonalDown,      // from the top-left corner (start) to the bottom-right (stop)
    gdHorizontalEnd,     // rows: top row start, bottom row stop
    gdHorizontalCenter,  // rows: start at top and bottom, stop in the middle
    gdHorizontalBox,     // boxes about the centre, stop as a bar over the middle half
    gdVerticalEnd,       // columns: left column start, right column stop
    gdVerticalCenter,    // columns: start at both ends, stop in the middle
    gdVerticalBox,       // boxes about the centre, stop as a bar over the middle half
    gdSquareBox,         // boxes about the centre, stop at the centre
    gdBigSquareBox,      // boxes about the centre, stop over the middle half both ways
};

// The colour of each of `lines` successive lines of a run from `first` to
// `last` (both RGB), interpolated per channel in 16.16 fixed point and
// rounded, so the first line is exactly `first` and the last exactly `last`
// (a single line is `first`). A colour is held, band by band, until the
// interpolated colour changes and, for more than 8 colour steps, until the
// band is at least 255 div steps + 1 lines long.
std::vector<TColor> GradientRun(int lines, TColor first, TColor last, std::uint8_t colorSteps);

// Paints the gradient over the rectangle: it is computed in a bitmap of the
// rectangle's size and then drawn at the rectangle's top-left. An empty
// rectangle draws nothing.
void FillGradient(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                  TColor startColor, TColor stopColor, std::uint8_t colorSteps);
