#include "app/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Drawn on a 64-unit grid and scaled to the requested size.
constexpr double kGrid = 64.0;

void Card(QPainter& p) {
    p.setPen(QPen(QColor(0x2B, 0x3A, 0x4A), 2.0));
    p.setBrush(QColor(0xFA, 0xFA, 0xF7));
    p.drawRoundedRect(QRectF(3, 9, 58, 46), 4, 4);
}

void Landscape(QPainter& p, bool detailed) {
    QRectF photo(8, 14, 48, 36);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(0x5D, 0x9C, 0xEC));
    sky.setColorAt(1, QColor(0xBF, 0xDD, 0xFA));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(photo);
    p.setBrush(QColor(0xF6, 0xC3, 0x2E));
    p.drawEllipse(QPointF(44, 23), 5, 5);
    QPainterPath far;
    far.moveTo(8, 42);
    far.lineTo(22, 27);
    far.lineTo(34, 40);
    far.lineTo(40, 34);
    far.lineTo(56, 46);
    far.lineTo(56, 50);
    far.lineTo(8, 50);
    p.setBrush(QColor(0x3F, 0x8F, 0x4A));
    p.drawPath(far);
    if (!detailed)
        return;
    QPainterPath near;
    near.moveTo(8, 46);
    near.cubicTo(22, 40, 36, 44, 56, 48);
    near.lineTo(56, 50);
    near.lineTo(8, 50);
    p.setBrush(QColor(0x2E, 0x6E, 0x38));
    p.drawPath(near);
}

// Three pairs of amber digits, as a camera imprints the date.
void DateImprint(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0x8C, 0x1A));
    for (int pair = 0; pair < 3; ++pair)
        for (int digit = 0; digit < 2; ++digit)
            p.drawRect(QRectF(31 + pair * 8 + digit * 3, 43, 2, 4));
}

}  // namespace

QImage DrawProgramIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    bool detailed = size >= 32;
    Card(p);
    Landscape(p, detailed);
    if (detailed)
        DateImprint(p);
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : kProgramIconSizes)
        icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
    return icon;
}
