#include "platform/ThumbnailCache.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <charconv>

#include "framework/FileUtils.h"
#include "framework/TempFiles.h"
#include "platform/Places.h"
#include "platform/ShellItems.h"

namespace {

const char* const kUriKey = "Thumb::URI";
const char* const kMTimeKey = "Thumb::MTime";
const char* const kSizeKey = "Thumb::Size";
const char* const kSoftwareKey = "Software";

// A stored picture larger than this is none of ours, and is not read.
constexpr long long kLargestStoredPicture = 4 << 20;

std::string SizeFolder(TThumbnailSize size) {
    return size == TThumbnailSize::Normal ? "normal" : "large";
}

std::string FailFolder() {
    return "fail/kadrimarkexif-" KADRIMARK_VERSION;
}

// A whole decimal number, nothing before or after it.
bool ParseNumber(const QString& text, long long& value) {
    const QByteArray digits = text.toLatin1();
    const char* end = digits.constData() + digits.size();
    auto [stop, error] = std::from_chars(digits.constData(), end, value);
    return !digits.isEmpty() && error == std::errc() && stop == end;
}

bool StandsFor(const QImage& picture, const TThumbnailSource& source) {
    long long mtime = 0;
    long long size = 0;
    const QString sizeText = picture.text(kSizeKey);
    return picture.text(kUriKey) == QString::fromStdString(source.uri) &&
           ParseNumber(picture.text(kMTimeKey), mtime) && mtime == source.mtime &&
           (sizeText.isEmpty() || (ParseNumber(sizeText, size) && size == source.size));
}

QImage ReadPicture(const std::string& path) {
    struct stat facts;
    TFileHandle file = OpenRegularFile(path, kLargestStoredPicture, facts);
    QFile device;
    if (!file.Valid() ||
        !device.open(file.Get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return {};
    return QImageReader(&device, "png").read();
}

bool WritePng(int fd, const QImage& picture) {
    QFile device;
    return device.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) &&
           QImageWriter(&device, "png").write(picture) && device.flush();
}

}  // namespace

int ThumbnailPixels(TThumbnailSize size) {
    return size == TThumbnailSize::Normal ? 128 : 256;
}

std::string ThumbnailRoot() {
    return JoinPath(CacheHomePath(), "thumbnails");
}

std::string ThumbnailFileName(const std::string& uri) {
    QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Md5);
    return hash.toHex().toStdString() + ".png";
}

QImage TThumbnailCache::Find(const TThumbnailSource& source, TThumbnailSize size) const {
    return FindIn(SizeFolder(size), source);
}

bool TThumbnailCache::Store(const TThumbnailSource& source, TThumbnailSize size,
                            QImage picture) const {
    return WriteIn(SizeFolder(size), source, std::move(picture));
}

bool TThumbnailCache::RecordFailure(const TThumbnailSource& source) const {
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    return WriteIn(FailFolder(), source, mark);
}

bool TThumbnailCache::Failed(const TThumbnailSource& source) const {
    return !FindIn(FailFolder(), source).isNull();
}

bool TThumbnailCache::Contains(const std::string& path) const {
    return path == root_ || path.starts_with(root_ + "/");
}

QImage TThumbnailCache::FindIn(const std::string& folder, const TThumbnailSource& source) const {
    QImage picture = ReadPicture(JoinPath(JoinPath(root_, folder), ThumbnailFileName(source.uri)));
    return StandsFor(picture, source) ? picture : QImage();
}

bool TThumbnailCache::WriteIn(const std::string& folder, const TThumbnailSource& source,
                              QImage picture) const {
    picture.setText(kUriKey, QString::fromStdString(source.uri));
    picture.setText(kMTimeKey, QString::number(source.mtime));
    picture.setText(kSizeKey, QString::number(source.size));
    picture.setText(kSoftwareKey, "KadrimarkEXIF " KADRIMARK_VERSION);

    const std::string path = JoinPath(root_, folder);
    if (!MakeFolders(path))
        return false;
    TFileHandle directory(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    TTempFile temp;
    if (!directory.Valid() || CreateTempFile(directory.Get(), temp) != 0)
        return false;
    const std::string name = ThumbnailFileName(source.uri);
    if (WritePng(temp.handle.Get(), picture) &&
        renameat(directory.Get(), temp.name.c_str(), directory.Get(), name.c_str()) == 0)
        return true;
    unlinkat(directory.Get(), temp.name.c_str(), 0);
    return false;
}
