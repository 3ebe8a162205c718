#include "framework/Font.h"

#include <QFontMetrics>
#include <QString>

QFont ToQFont(const TFont& font) {
    QFont f(QString::fromStdString(font.Name));
    // A negative height is the character height; Qt's pixel size is the same
    // measure (the em box without leading).
    f.setPixelSize(font.Height < 0 ? -font.Height : std::max(1, font.Height * 4 / 5));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

int TextWidth(const TFont& font, std::string_view text) {
    QFontMetrics metrics(ToQFont(font));
    QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return metrics.boundingRect(QRect(0, 0, 0, 0), Qt::TextExpandTabs | Qt::TextSingleLine, s)
        .width();
}

int TextHeight(const TFont& font) {
    return QFontMetrics(ToQFont(font)).height();
}
