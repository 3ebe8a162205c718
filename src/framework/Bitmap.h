#pragma once

#include <QImage>

#include "framework/Color.h"

// An off-screen 24-bit picture that canvases draw on and copy from. The
// bitmap owns its pixels; a canvas drawing on it must not outlive it, and the
// bitmap must not be resized while a canvas draws on it.
class TBitmap {
  public:
    TBitmap() = default;
    // A width x height bitmap filled with the colour (system colours resolved).
    TBitmap(int width, int height, TColor fill = clWhite);
    explicit TBitmap(QImage image);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }

    // Resizes to width x height; the content is then undefined. Zero or
    // negative sizes give an empty bitmap.
    void SetSize(int width, int height);

    // The RGB value at (x, y), or clNone outside the bitmap.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

  private:
    QImage image_;
};
