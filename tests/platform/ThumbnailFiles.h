#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <string>

#include "platform/ThumbnailCache.h"
#include "support/TempDir.h"

// A picture of the given size, its left half `left` and its right half blue,
// so that a test sees which side ends up where.
inline QImage HalvesPicture(int width, int height, QColor left = Qt::red) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QPainter(&picture).fillRect(0, 0, width / 2, height, left);
    return picture;
}

// Writes the picture as a file of that format ("jpeg", "png", "gif", ...).
inline void WritePicture(const std::string& path, const QImage& picture,
                         const char* format = "jpeg") {
    QImageWriter writer(QString::fromStdString(path), format);
    writer.setQuality(95);
    ASSERT_TRUE(writer.write(picture)) << path << ": " << writer.errorString().toStdString();
}

inline void SetMTime(const std::string& path, long long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A private cache home and a folder of pictures in a temporary folder.
class ThumbnailTest : public ::testing::Test {
  protected:
    std::string CacheRoot() const { return root_.File("cache/thumbnails"); }
    std::string Photo(const std::string& name) const { return root_.File(name); }
    TThumbnailCache Cache() const { return TThumbnailCache(CacheRoot()); }

    TempDir root_;
};
