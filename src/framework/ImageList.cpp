#include "framework/ImageList.h"

#include "framework/Canvas.h"

namespace {

TColor RgbOf(QRgb pixel) {
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

}  // namespace

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(width), height_(height) {}

int TImageList::Add(const QImage& image) {
    QImage picture = image.convertToFormat(QImage::Format_ARGB32);
    if (picture.width() != width_ || picture.height() != height_)
        picture = picture.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    images_.push_back(picture);
    return Count() - 1;
}

int TImageList::AddMasked(const TBitmap& bitmap, TColor transparent) {
    QImage picture = bitmap.Image().convertToFormat(QImage::Format_ARGB32);
    QRgb key = qRgb(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent));
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if ((picture.pixel(x, y) & 0xFFFFFF) == (key & 0xFFFFFF))
                picture.setPixel(x, y, qRgba(0, 0, 0, 0));
    return Add(picture);
}

bool TImageList::Opaque(const QImage& image, int x, int y) const {
    return qAlpha(image.pixel(x, y)) >= 128;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count())
        return;
    const QImage& image = images_[index];
    if (enabled) {
        for (int row = 0; row < height_; ++row)
            for (int col = 0; col < width_; ++col)
                if (Opaque(image, col, row))
                    canvas.SetPixel(x + col, y + row, RgbOf(image.pixel(col, row)));
        return;
    }
    // The embossed copy: the highlight first, offset, then the shadow on top.
    for (auto [offset, color] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}})
        for (int row = 0; row < height_; ++row)
            for (int col = 0; col < width_; ++col)
                if (Opaque(image, col, row) && RgbOf(image.pixel(col, row)) != clWhite)
                    canvas.SetPixel(x + col + offset, y + row + offset, color);
}
