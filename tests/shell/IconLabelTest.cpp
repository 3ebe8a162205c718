#include "shell/IconLabel.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

// Lines as the large-icon view breaks a name: at spaces where it can,
// anywhere in a word where it must, never wider than the label, and "…" only
// when the lines run out before the name does.
TEST(IconLabelTest, Lines_WrapAtSpacesOrInsideAWord_ElideOnlyAfterTheLastLine) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QString spaceless = "a_very_long_photo_name_without_any_spaces_2007.jpg";
    const int narrow = metrics.horizontalAdvance(spaceless) / 4;
    const int holiday = metrics.horizontalAdvance("Holiday photos") + 2;
    const struct {
        QString name;
        int width, maxLines;
        QStringList lines;  // empty: checked by the properties below only
        qsizetype count;
        bool elided;
    } cases[] = {
        {"short.txt", 200, 2, {"short.txt"}, 1, false},
        {"Holiday photos 2007.jpg", holiday, 2, {"Holiday photos", "2007.jpg"}, 2, false},
        {spaceless, narrow, 2, {}, 2, true},
        {spaceless, narrow, 0, {}, 4, false},
        {"", 200, 2, {}, 0, false},
    };
    for (const auto& c : cases) {
        const QStringList lines = IconLabelLines(c.name, font, c.width, c.maxLines);
        if (!c.lines.isEmpty()) {
            EXPECT_EQ(lines, c.lines) << c.name.toStdString();
        }
        if (c.maxLines > 0) {
            EXPECT_EQ(lines.size(), c.count) << c.name.toStdString();
        }
        ASSERT_GE(lines.size(), c.count) << c.name.toStdString();
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), c.width) << line.toStdString();
        if (c.count == 0)
            continue;
        EXPECT_EQ(lines.back().endsWith(QChar(0x2026)), c.elided) << c.name.toStdString();
        if (c.elided) {
            EXPECT_TRUE(c.name.startsWith(lines.front()));
        } else {
            EXPECT_EQ(lines.join("").remove(' '), QString(c.name).remove(' '));
        }
    }
}

}  // namespace
