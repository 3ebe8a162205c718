#include "framework/FontMetrics.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cstdlib>

int TextWidth(const std::string& family, int height, const std::string& text) {
    QFont font(QString::fromStdString(family));
    font.setPixelSize(std::max(1, std::abs(height)));
    return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
}
