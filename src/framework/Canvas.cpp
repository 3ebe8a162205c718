#include "framework/Canvas.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QPainter::CompositionMode CompositionFor(TPenMode mode) {
    return mode == pmXor ? QPainter::RasterOp_SourceXorDestination
                         : QPainter::CompositionMode_SourceOver;
}

// Nearest-neighbour scaling: target pixel d takes the source pixel whose span
// holds d's centre, (2d + 1) * source / (2 * target).
QImage ScaleNearest(const QImage& source, int width, int height) {
    QImage target(width, height, QImage::Format_RGB32);
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        int sy = int((2LL * y + 1) * src.height() / (2LL * height));
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        for (int x = 0; x < width; ++x) {
            out[x] = in[(2LL * x + 1) * src.width() / (2LL * width)];
        }
    }
    return target;
}

// The part of a line's thickness on the near side of its centre: a 2-pixel
// line at x covers x - 1 and x.
int NearHalf(int width) {
    return std::max(width, 1) / 2;
}

}  // namespace

QColor ToQColor(TColor color) {
    TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QRect ToQRect(const TRect& rect) {
    return QRect(rect.Left, rect.Top, rect.Width(), rect.Height());
}

TCanvas::TCanvas(TBitmap& bitmap) : ownPainter_(std::make_unique<QPainter>()) {
    if (!bitmap.Empty()) {
        ownPainter_->begin(&bitmap.Image());
    }
    painter_ = ownPainter_.get();
    Begin(&bitmap.Image());
}

TCanvas::TCanvas(QPaintDevice& device)
    : ownPainter_(std::make_unique<QPainter>(&device)), painter_(ownPainter_.get()) {
    Begin(&device);
}

TCanvas::TCanvas(QPainter& painter) : painter_(&painter) {
    painter_->save();
    Begin(painter_->device());
}

TCanvas::~TCanvas() {
    if (ownPainter_ == nullptr) {
        painter_->restore();
    }
}

void TCanvas::Begin(QPaintDevice* device) {
    if (device != nullptr && device->devType() == QInternal::Image) {
        image_ = static_cast<QImage*>(device);
    }
    if (!painter_->isActive()) {
        return;
    }
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    startClipping_ = painter_->hasClipping();
    startClip_ = painter_->clipRegion();
}

void TCanvas::FillArea(const TRect& rect, TColor color, TPenMode mode) {
    if (color == clNone || rect.IsEmpty() || !painter_->isActive()) {
        return;
    }
    painter_->setCompositionMode(CompositionFor(mode));
    painter_->fillRect(ToQRect(rect), ToQColor(color));
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::FillWithBrush(const TRect& rect) {
    if (Brush.Style == bsClear || Brush.Color == clNone || rect.IsEmpty() ||
        !painter_->isActive()) {
        return;
    }
    if (Brush.Style == bsSolid) {
        FillArea(rect, Brush.Color, pmCopy);
        return;
    }
    QImage tile(2, 2, QImage::Format_RGB32);
    const QRgb even = ToQColor(Brush.CheckerColor).rgb();
    const QRgb odd = ToQColor(Brush.Color).rgb();
    tile.setPixel(0, 0, even);
    tile.setPixel(1, 1, even);
    tile.setPixel(1, 0, odd);
    tile.setPixel(0, 1, odd);
    // Tie the pattern to the surface's own pixel grid, not to the logical origin.
    const QPointF deviceOrigin = painter_->transform().inverted().map(QPointF(0, 0));
    painter_->setBrushOrigin(deviceOrigin);
    painter_->fillRect(ToQRect(rect), QBrush(tile));
}

void TCanvas::MoveTo(int x, int y) {
    penPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    DrawPenLine(penPos_, {x, y});
    penPos_ = {x, y};
}

void TCanvas::DrawPenLine(TPoint from, TPoint to) {
    if (Pen.Color == clNone || from == to || !painter_->isActive()) {
        return;
    }
    const int near = NearHalf(Pen.Width);
    const int width = std::max(Pen.Width, 1);
    if (from.Y == to.Y) {
        int left = from.X < to.X ? from.X : to.X + 1;
        int right = from.X < to.X ? to.X : from.X + 1;
        FillArea({left, from.Y - near, right, from.Y - near + width}, Pen.Color, Pen.Mode);
        return;
    }
    if (from.X == to.X) {
        int top = from.Y < to.Y ? from.Y : to.Y + 1;
        int bottom = from.Y < to.Y ? to.Y : from.Y + 1;
        FillArea({from.X - near, top, from.X - near + width, bottom}, Pen.Color, Pen.Mode);
        return;
    }
    QPen pen(ToQColor(Pen.Color));
    pen.setWidth(Pen.Width <= 1 ? 0 : Pen.Width);
    pen.setCapStyle(Qt::FlatCap);
    painter_->setPen(pen);
    painter_->setCompositionMode(CompositionFor(Pen.Mode));
    painter_->drawLine(QPoint(from.X, from.Y), QPoint(to.X, to.Y));
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::FillRect(const TRect& rect) {
    FillWithBrush(rect);
}

void TCanvas::Rectangle(const TRect& rect) {
    if (rect.IsEmpty()) {
        return;
    }
    const int w = std::max(Pen.Width, 1);
    const bool outlined = Pen.Color != clNone;
    FillWithBrush(outlined ? InflateRect(rect, -w, -w) : rect);
    if (!outlined) {
        return;
    }
    const int innerBottom = std::max(rect.Top + w, rect.Bottom - w);
    FillArea({rect.Left, rect.Top, rect.Right, rect.Top + w}, Pen.Color, Pen.Mode);
    FillArea({rect.Left, innerBottom, rect.Right, rect.Bottom}, Pen.Color, Pen.Mode);
    FillArea({rect.Left, rect.Top + w, rect.Left + w, innerBottom}, Pen.Color, Pen.Mode);
    FillArea({std::max(rect.Left + w, rect.Right - w), rect.Top + w, rect.Right, innerBottom},
             Pen.Color, Pen.Mode);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2 || !painter_->isActive()) {
        return;
    }
    QPolygon polygon;
    for (const TPoint& p : points) {
        polygon << QPoint(p.X, p.Y);
    }
    if (Pen.Color == clNone) {
        painter_->setPen(Qt::NoPen);
    } else {
        painter_->setPen(QPen(ToQColor(Pen.Color), Pen.Width <= 1 ? 0 : Pen.Width));
    }
    const bool filled = Brush.Style != bsClear && Brush.Color != clNone;
    painter_->setBrush(filled ? QBrush(ToQColor(Brush.Color)) : QBrush(Qt::NoBrush));
    painter_->setCompositionMode(CompositionFor(Pen.Mode));
    painter_->drawPolygon(polygon);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setBrush(Qt::NoBrush);
}

TColor TCanvas::Pixel(int x, int y) const {
    if (image_ == nullptr) {
        return clNone;
    }
    const QPoint p = painter_->transform().map(QPoint(x, y));
    if (!image_->valid(p)) {
        return clNone;
    }
    QRgb rgb = image_->pixel(p);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    FillArea({x, y, x + 1, y + 1}, color, pmCopy);
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    if (rect.IsEmpty())
        return;
    auto dot = [&](int x, int y) {
        if ((x - rect.Left + y - rect.Top) % 2 == 0)
            FillArea({x, y, x + 1, y + 1}, clWhite, pmXor);
    };
    for (int x = rect.Left; x < rect.Right; ++x) {
        dot(x, rect.Top);
        if (rect.Bottom - 1 > rect.Top)
            dot(x, rect.Bottom - 1);
    }
    for (int y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
        dot(rect.Left, y);
        if (rect.Right - 1 > rect.Left)
            dot(rect.Right - 1, y);
    }
}

void TCanvas::DrawImageAt(int x, int y, const QImage& image) {
    if (image.isNull() || !painter_->isActive()) {
        return;
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->drawImage(QPoint(x, y), image);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    DrawImageAt(x, y, bitmap.Image());
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) {
    CopyRect(rect, bitmap, {0, 0, bitmap.Width(), bitmap.Height()});
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) {
    if (dest.IsEmpty() || sourceRect.IsEmpty() || source.Empty()) {
        return;
    }
    QImage part = source.Image().copy(ToQRect(sourceRect));
    if (part.width() != dest.Width() || part.height() != dest.Height()) {
        part = ScaleNearest(part, dest.Width(), dest.Height());
    }
    DrawImageAt(dest.Left, dest.Top, part);
}

void TCanvas::ApplyFont() {
    painter_->setFont(ToQFont(Font));
    painter_->setPen(ToQColor(Font.Color));
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    if (!painter_->isActive()) {
        return;
    }
    const int width = TextWidth(text);
    const int left = TextAlign == taLeft ? x : TextAlign == taRight ? x - width : x - width / 2;
    if (Brush.Style != bsClear) {
        FillArea({left, y, left + width, y + TextHeight(text)}, Brush.Color, pmCopy);
    }
    ApplyFont();
    painter_->drawText(QPoint(left, y + QFontMetrics(ToQFont(Font)).ascent()), ToQString(text));
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
    if (rect.IsEmpty() || !painter_->isActive()) {
        return;
    }
    FillWithBrush(rect);
    painter_->save();
    painter_->setClipRect(ToQRect(rect), Qt::IntersectClip);
    const TBrushStyle style = Brush.Style;
    Brush.Style = bsClear;
    TextOut(x, y, text);
    Brush.Style = style;
    painter_->restore();
}

int TCanvas::TextWidth(std::string_view text) const {
    return ::TextWidth(Font, text);
}

int TCanvas::TextHeight(std::string_view) const {
    return ::TextHeight(Font);
}

int TCanvas::DrawText(TRect& rect, std::string_view text, unsigned format) {
    int flags = (format & dtCenter)  ? Qt::AlignHCenter
                : (format & dtRight) ? Qt::AlignRight
                                     : Qt::AlignLeft;
    flags |= (format & dtVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
    if (format & dtWordBreak) {
        flags |= Qt::TextWordWrap;
    }
    if (format & dtSingleLine) {
        flags |= Qt::TextSingleLine;
    }
    if (!(format & dtNoPrefix)) {
        flags |= Qt::TextShowMnemonic;
    }
    const QString s = ToQString(text);
    const QFont font = ToQFont(Font);
    if (format & dtCalcRect) {
        const int maxWidth = (format & dtWordBreak) ? std::max(rect.Width(), 1) : 1 << 20;
        QRect bound = QFontMetrics(font).boundingRect(QRect(rect.Left, rect.Top, maxWidth, 1 << 20),
                                                      flags & ~Qt::AlignVertical_Mask, s);
        rect.Right = rect.Left + bound.width();
        rect.Bottom = rect.Top + bound.height();
        return bound.height();
    }
    if (!painter_->isActive()) {
        return 0;
    }
    ApplyFont();
    QRect drawn;
    painter_->drawText(ToQRect(rect), flags, s, &drawn);
    return drawn.height();
}

void TCanvas::SetClipRect(const TRect& rect) {
    ResetClip();
    painter_->setClipRect(ToQRect(rect), startClipping_ ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TCanvas::ResetClip() {
    if (startClipping_) {
        painter_->setClipRegion(startClip_);
    } else {
        painter_->setClipping(false);
    }
}
