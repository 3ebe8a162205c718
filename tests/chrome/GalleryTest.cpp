#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "../support/TempDir.h"

namespace {

QImage Load(const TempDir& dir, const std::string& name) {
    return QImage(QString::fromStdString(dir.File(name + ".png")));
}

int CountGreen(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = image.pixel(x, y);
            n += qGreen(p) > qRed(p) + 40 && qGreen(p) > qBlue(p) + 40;
        }
    return n;
}

TEST(GalleryTest, DrawsEveryPictureAtItsSize) {
    TempDir dir;
    QProcess gallery;
    gallery.start(KADRIMARK_GALLERY, {QString::fromStdString(dir.Path())});
    ASSERT_TRUE(gallery.waitForFinished(60000));
    ASSERT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();

    std::vector<std::pair<std::string, QSize>> expected = {{"toolbar", {940, 33}},
                                                           {"toolbar-hot", {940, 33}},
                                                           {"toolbar-down", {940, 33}},
                                                           {"statusbar", {940, 19}},
                                                           {"statusbar-progress", {940, 19}},
                                                           {"separator", {2, 19}},
                                                           {"splitter-drag", {400, 200}}};
    for (int p : {0, 1, 50, 98, 99})
        expected.push_back({"progress-" + std::to_string(p), {667, 19}});
    for (const char* style : {"none", "flat", "groove", "bump", "lowered", "buttondown", "raised",
                              "buttonup", "status", "popup", "flatbold"})
        expected.push_back({std::string("frame-") + style, {40, 30}});
    for (const char* direction :
         {"diagonalup", "diagonaldown", "horizontalend", "horizontalcenter", "horizontalbox",
          "verticalend", "verticalcenter", "verticalbox", "squarebox", "bigsquarebox"})
        expected.push_back({std::string("gradient-") + direction, {64, 40}});
    for (const auto& [name, size] : expected)
        EXPECT_EQ(Load(dir, name).size(), size) << name;

    EXPECT_NE(Load(dir, "toolbar"), Load(dir, "toolbar-hot"));
    EXPECT_NE(Load(dir, "toolbar-hot"), Load(dir, "toolbar-down"));
    EXPECT_EQ(CountGreen(Load(dir, "statusbar")), 0);
    EXPECT_GT(CountGreen(Load(dir, "statusbar-progress")), 100);
    EXPECT_EQ(CountGreen(Load(dir, "progress-0")), 0);
    EXPECT_LT(CountGreen(Load(dir, "progress-50")), CountGreen(Load(dir, "progress-99")));
}

}  // namespace
