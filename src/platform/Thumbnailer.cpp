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

// In the box and in a format that is drawn quickly and takes four bytes a
// pixel, whatever another program stored.
TThumbnail ReadyToDraw(const QImage& picture, int pixels) {
    QImage fitted = ShrunkToFit(picture, pixels);
    return {TThumbnailState::Ready,
            fitted.convertToFormat(fitted.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32)};
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
    const int pixels = ThumbnailPixels(size);
    if (QImage cached = cache.Find(source, size); !cached.isNull())
        return ReadyToDraw(cached, pixels);
    if (cache.Failed(source))
        return {TThumbnailState::Failed, {}};
    QImage picture = DecodeThumbnail(file.Get(), pixels);
    if (picture.isNull()) {
        cache.RecordFailure(source);
        return {TThumbnailState::Failed, {}};
    }
    cache.Store(source, size, picture);
    return ReadyToDraw(picture, pixels);
}
