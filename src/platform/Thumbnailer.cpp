#include "platform/Thumbnailer.h"

#include <QFile>
#include <QImageReader>

#include "framework/FileUtils.h"
#include "platform/UriList.h"

namespace {

bool Fits(QSize size, int pixels) {
    return size.width() <= pixels && size.height() <= pixels;
}

QImage ShrunkToFit(QImage picture, int pixels) {
    if (picture.isNull() || Fits(picture.size(), pixels))
        return picture;
    return picture.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QImage DecodeThumbnail(int fd, int pixels) {
    QFile device;
    if (!device.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return {};
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    // The box is square, so the stored size fits it exactly when the turned one does.
    const QSize stored = reader.size();
    if (stored.isValid() && !Fits(stored, pixels))
        reader.setScaledSize(stored.scaled(pixels, pixels, Qt::KeepAspectRatio).expandedTo({1, 1}));
    return ShrunkToFit(reader.read(), pixels);
}

TThumbnail MakeThumbnail(const TThumbnailCache& cache, const std::string& path,
                         TThumbnailSize size) {
    if (cache.Contains(path))
        return {};
    struct stat facts;
    TFileHandle file = OpenRegularFile(path, kLargestThumbnailSource, facts);
    if (!file.Valid())
        return {};
    const TThumbnailSource source{CanonicalFileUri(path), facts.st_mtim.tv_sec, facts.st_size};
    if (QImage cached = cache.Find(source, size); !cached.isNull())
        return {TThumbnailState::Ready, cached};
    if (cache.Failed(source))
        return {TThumbnailState::Failed, {}};
    QImage picture = DecodeThumbnail(file.Get(), ThumbnailPixels(size));
    if (picture.isNull()) {
        cache.RecordFailure(source);
        return {TThumbnailState::Failed, {}};
    }
    cache.Store(source, size, picture);
    return {TThumbnailState::Ready, picture};
}
