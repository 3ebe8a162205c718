#pragma once

#include "framework/Canvas.h"
#include "framework/Geometry.h"

// The sort arrow of the report header: where it goes in a header item and how
// it is drawn. Rectangles are in the item's own coordinates.

enum THeaderSortDisplayMode { hsdmNone, hsdmLeftAlign, hsdmRightOfText, hsdmRightAlign };

// Column alignments as the list stores them.
enum TColumnAlignment { caLeft = 0, caRight = 1, caCenter = 2 };

// Gap between the arrow and the text, and between the arrow and the item's
// right end.
constexpr int kSortArrowGap = 5;

// The arrow's box with its left edge at text.Left: h = (top + bottom) / 2 wide,
// h - 1 high, vertically centred one pixel high.
TRect SortArrowBox(const TRect& text);

// Where one header item draws its caption and, when HasArrow, its arrow.
struct THeaderItemLayout {
    TRect TextRect;
    bool HasArrow = false;
    TRect ArrowBox;
};

struct THeaderItemFacts {
    THeaderSortDisplayMode Mode = hsdmRightOfText;
    TColumnAlignment Alignment = caLeft;
    bool IsSortColumn = false;
    int ItemWidth = 0;
    TRect TextRect;     // the item narrowed by 4 pixels left and right
    int TextWidth = 0;  // the caption's extent
};

// Places text and arrow by the display mode. The arrow is only for the sort
// column, and only when the item is wider than twice the arrow box.
THeaderItemLayout LayoutHeaderItem(const THeaderItemFacts& facts);

// A solid clBtnShadow triangle three quarters of the box high, standing on the
// box's bottom and centred in it: pointing down for ascending order, up for
// descending.
void DrawSortArrow(TCanvas& canvas, const TRect& box, bool ascending);
