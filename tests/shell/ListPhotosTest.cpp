#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QListView>
#include <QPainter>
#include <QRandomGenerator>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>

#include "ShellListTestSupport.h"
#include "platform/ThumbnailCache.h"
#include "platform/UriList.h"

namespace {

// The encoded bytes of a picture of one colour, or of noise (slow to decode).
std::string PictureBytes(int width, int height, QColor color, const char* format = "jpeg",
                         bool noise = false) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    if (noise)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.setPixel(x, y, QRandomGenerator::global()->generate());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    EXPECT_TRUE(writer.write(picture));
    return bytes.toStdString();
}

bool Near(QRgb pixel, QColor color) {
    return std::abs(qRed(pixel) - color.red()) < 40 &&
           std::abs(qGreen(pixel) - color.green()) < 40 &&
           std::abs(qBlue(pixel) - color.blue()) < 40;
}

// The bounds of the pixels of that colour in the row's cell of the icon view.
QRect ColourBounds(TRzShellList& list, int row, QColor color) {
    const QImage shown = list.IconView()->viewport()->grab().toImage();
    const QRect cell = list.IconView()->visualRect(list.Model()->index(row, 0));
    QRect bounds;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (shown.valid(x, y) && Near(shown.pixel(x, y), color))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

void SetFileTime(const std::string& path, long long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

int CachedPictures() {
    std::error_code error;
    const std::filesystem::path normal = ThumbnailRoot() + "/normal";
    if (!std::filesystem::exists(normal, error))
        return 0;
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(normal),
                                          std::filesystem::directory_iterator()));
}

class ListPhotosTest : public ShellListTest {
  protected:
    ListPhotosTest() { std::filesystem::remove_all(ThumbnailRoot()); }
    ~ListPhotosTest() override { std::filesystem::remove_all(ThumbnailRoot()); }

    int Row(const std::string& name) {
        const std::vector<std::string> names = Names();
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }
};

// Each picture file shows as itself in large icons, fitted into the icon's
// box with its aspect kept; other files keep their icons.
TEST_F(ListPhotosTest, LargeIconsShowPicturesScaledWithTheirAspect) {
    Make("wide.jpg", PictureBytes(120, 80, Qt::red));
    Make("tall.png", PictureBytes(60, 90, Qt::green, "png"));
    Make("notes.txt", "not a picture");
    list_.SetViewStyle(vsIcon);
    Show(folder_);
    ASSERT_TRUE(PumpUntil([&] {
        return ColourBounds(list_, Row("wide.jpg"), Qt::red).width() == kLargeIconPixels &&
               ColourBounds(list_, Row("tall.png"), Qt::green).height() == kLargeIconPixels;
    }));
    const QRect wide = ColourBounds(list_, Row("wide.jpg"), Qt::red);
    EXPECT_NEAR(wide.height(), kLargeIconPixels * 80 / 120, 1);
    const QRect tall = ColourBounds(list_, Row("tall.png"), Qt::green);
    EXPECT_NEAR(tall.width(), kLargeIconPixels * 60 / 90, 1);
    EXPECT_TRUE(ColourBounds(list_, Row("notes.txt"), Qt::red).isEmpty());
    EXPECT_TRUE(ColourBounds(list_, Row("notes.txt"), Qt::green).isEmpty());
}

// Leaving a folder drops the pictures still waiting: the loader goes idle at
// once and makes no more of them.
TEST_F(ListPhotosTest, ChangingFolderCancelsPendingPictures) {
    const std::string photo = PictureBytes(800, 600, Qt::black, "jpeg", true);
    constexpr int kPhotos = 300;
    for (int i = 0; i < kPhotos; ++i)
        Make("photo-" + std::to_string(i) + ".jpg", photo);
    const std::string empty = MakeHomeFolder("empty");
    list_.SetViewStyle(vsIcon);
    Show(folder_);
    ASSERT_GT(list_.PhotosPendingForTest(), kPhotos / 2);
    Show(empty);
    ASSERT_TRUE(PumpUntil([&] { return list_.PhotosPendingForTest() == 0; }));
    const int made = CachedPictures();
    QTest::qWait(200);
    EXPECT_EQ(CachedPictures(), made);
    EXPECT_LT(made, kPhotos / 2);
    std::filesystem::remove_all(empty);
}

// A photo rewritten under its name with another modification time (as the
// stamp command's --set-mtime leaves it) gets its picture made again: the
// shared cache then holds one for the file as it is now.
TEST_F(ListPhotosTest, RewrittenPhotoWithNewTimeIsPicturedAgain) {
    const std::string bytes = PictureBytes(64, 48, Qt::red);
    Make("15-06-07_1230.jpg", bytes);
    const std::string path = folder_ + "/15-06-07_1230.jpg";
    const TThumbnailCache cache(ThumbnailRoot());
    auto cachedFor = [&](long long mtime) {
        const TThumbnailSource source{CanonicalFileUri(path), mtime,
                                      static_cast<long long>(bytes.size())};
        return !cache.Find(source, TThumbnailSize::Normal).isNull();
    };
    SetFileTime(path, 1000000000);
    list_.SetViewStyle(vsIcon);
    Show(folder_);
    ASSERT_TRUE(PumpUntil([&] { return cachedFor(1000000000); }));

    Make("new.tmp", bytes);
    SetFileTime(folder_ + "/new.tmp", 1181910600);
    std::filesystem::rename(folder_ + "/new.tmp", path);
    RefreshAfterChange();
    EXPECT_TRUE(PumpUntil([&] { return cachedFor(1181910600); }));
    // The picture reaches the window after the cache file is written.
    EXPECT_TRUE(PumpUntil(
        [&] { return !ColourBounds(list_, Row("15-06-07_1230.jpg"), Qt::red).isEmpty(); }));
}

}  // namespace
