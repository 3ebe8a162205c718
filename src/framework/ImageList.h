#pragma once

#include <QImage>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Component.h"

class TCanvas;

// A list of same-sized pictures, each with a transparency mask, that
// buttons and views draw by index. A disabled picture is drawn greyed the
// list's way: every opaque pixel that is not white is painted in
// clBtnHighlight one pixel right and down, then in clBtnShadow in place, so
// the picture shows embossed in the system colours.
class TImageList : public TComponent {
  public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Appends a picture and returns its index. Pixels with alpha below 128
    // are transparent; a picture of another size is scaled to the list's.
    int Add(const QImage& image);
    // Appends a picture in which the pixels of `transparent` are see-through.
    int AddMasked(const TBitmap& bitmap, TColor transparent);
    void Clear() { images_.clear(); }

    // Draws the picture with its top-left corner at (x, y); an index outside
    // the list draws nothing.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

  private:
    bool Opaque(const QImage& image, int x, int y) const;

    int width_;
    int height_;
    std::vector<QImage> images_;
};
