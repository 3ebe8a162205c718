#include "shell/HeaderSortArrow.h"

namespace {

TRect BoxEndingAt(const TRect& text, int right) {
    TRect box = SortArrowBox(text);
    return OffsetRect(box, right - box.Right, 0);
}

THeaderItemLayout PlaceLeft(const THeaderItemFacts& facts, THeaderItemLayout layout) {
    if (!facts.IsSortColumn || facts.ItemWidth <= 15)
        return layout;
    layout.ArrowBox = SortArrowBox(facts.TextRect);
    layout.HasArrow = true;
    layout.TextRect.Left = layout.ArrowBox.Right + kSortArrowGap;
    return layout;
}

THeaderItemLayout PlaceRightOfText(const THeaderItemFacts& facts, THeaderItemLayout layout) {
    if (facts.Alignment == caLeft) {
        layout.ArrowBox =
            OffsetRect(SortArrowBox(facts.TextRect), facts.TextWidth + kSortArrowGap, 0);
        layout.HasArrow = facts.IsSortColumn;
        return layout;
    }
    if (!facts.IsSortColumn)
        return layout;
    layout.ArrowBox = BoxEndingAt(facts.TextRect, facts.TextRect.Right - kSortArrowGap);
    layout.HasArrow = true;
    const int room = layout.ArrowBox.Width() + kSortArrowGap;
    if (facts.Alignment == caCenter)
        layout.TextRect = InflateRect(layout.TextRect, -room, 0);
    else
        layout.TextRect.Right = layout.ArrowBox.Left - kSortArrowGap;
    return layout;
}

THeaderItemLayout PlaceRight(const THeaderItemFacts& facts, THeaderItemLayout layout) {
    if (!facts.IsSortColumn)
        return layout;
    layout.ArrowBox = BoxEndingAt(facts.TextRect, facts.TextRect.Right - kSortArrowGap);
    layout.HasArrow = true;
    layout.TextRect.Right = layout.ArrowBox.Left - kSortArrowGap;
    return layout;
}

}  // namespace

TRect SortArrowBox(const TRect& text) {
    const int h = (text.Top + text.Bottom) / 2;
    const int side = h - 1;
    const int top = (text.Top + text.Bottom - side) / 2 - 1;
    return Rect(text.Left, top, text.Left + h, top + side);
}

THeaderItemLayout LayoutHeaderItem(const THeaderItemFacts& facts) {
    THeaderItemLayout layout;
    layout.TextRect = facts.TextRect;
    switch (facts.Mode) {
        case hsdmNone:
            break;
        case hsdmLeftAlign:
            layout = PlaceLeft(facts, layout);
            break;
        case hsdmRightOfText:
            layout = PlaceRightOfText(facts, layout);
            break;
        case hsdmRightAlign:
            layout = PlaceRight(facts, layout);
            break;
    }
    if (layout.HasArrow && facts.ItemWidth <= 2 * layout.ArrowBox.Width())
        layout.HasArrow = false;
    return layout;
}

void DrawSortArrow(TCanvas& canvas, const TRect& box, bool ascending) {
    const int height = box.Height() * 3 / 4;
    if (height <= 0)
        return;
    const int width = 2 * height - 1;
    const int left = box.Left + (box.Width() - width) / 2;
    const int top = box.Bottom - height;
    canvas.Brush.Color = clBtnShadow;
    canvas.Brush.Style = bsSolid;
    // Row by row, so the edges are exact pixels: the widest row is the base.
    for (int row = 0; row < height; ++row) {
        const int inset = ascending ? row : height - 1 - row;
        canvas.FillRect(Rect(left + inset, top + row, left + width - inset, top + row + 1));
    }
}
