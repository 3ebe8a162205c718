#pragma once

#include <vector>

#include "framework/Bitmap.h"

// Reading back pictures in chrome tests.
inline std::vector<TColor> RowOf(const TBitmap& b, int y, int from, int to) {
    std::vector<TColor> row;
    for (int x = from; x < to; ++x) {
        row.push_back(b.Pixel(x, y));
    }
    return row;
}

inline std::vector<TColor> ColumnOf(const TBitmap& b, int x, int from, int to) {
    std::vector<TColor> column;
    for (int y = from; y < to; ++y) {
        column.push_back(b.Pixel(x, y));
    }
    return column;
}

inline std::vector<TColor> Solid(TColor color, int n) {
    return std::vector<TColor>(std::size_t(n), color);
}

inline int CountPixels(const TBitmap& b, TColor color) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            n += b.Pixel(x, y) == color;
        }
    }
    return n;
}
