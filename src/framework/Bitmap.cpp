#include "framework/Bitmap.h"

TBitmap::TBitmap(int width, int height, TColor fill) {
    SetSize(width, height);
    if (!image_.isNull()) {
        TColor rgb = ColorToRGB(fill);
        image_.fill(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    }
}

TBitmap::TBitmap(QImage image) : image_(image.convertToFormat(QImage::Format_RGB32)) {}

void TBitmap::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        image_ = QImage();
    } else if (width != Width() || height != Height()) {
        image_ = QImage(width, height, QImage::Format_RGB32);
    }
}

TColor TBitmap::Pixel(int x, int y) const {
    if (!image_.valid(x, y)) {
        return clNone;
    }
    QRgb p = image_.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (image_.valid(x, y) && color != clNone) {
        TColor rgb = ColorToRGB(color);
        image_.setPixel(x, y, qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    }
}
