#include "shell/ListPhotos.h"

#include <QImageReader>
#include <QThread>
#include <algorithm>
#include <set>

#include "platform/ThumbnailLoader.h"

namespace {

// Pictures the loader keeps as it made them (the cache's normal size), and
// the scaled ones kept here: enough for several screens of icons.
constexpr long long kLoaderMemoryBytes = 16LL << 20;
constexpr int kScaledMemoryKiB = 16 << 10;
// Workers beside the window: the machine's cores, but no more than a disk
// serves well.
constexpr int kMostWorkers = 4;
constexpr int kBackgroundPriority = 0;

QByteArray KeyOf(const TListPhotos::TFile& file) {
    return QByteArray::fromStdString(file.path) + '\0' + QByteArray::number(file.stamp);
}

// The extensions of the formats the image readers take, lower case.
const std::set<std::string, std::less<>>& PictureExtensions() {
    static const std::set<std::string, std::less<>> extensions = [] {
        std::set<std::string, std::less<>> all;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            all.insert(format.toLower().toStdString());
        return all;
    }();
    return extensions;
}

}  // namespace

TListPhotos::TListPhotos(int pixels, std::function<void()> arrived)
    : pixels_(pixels), arrived_(std::move(arrived)), scaled_(kScaledMemoryKiB) {}

TListPhotos::~TListPhotos() = default;

bool TListPhotos::IsPictureName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return PictureExtensions().contains(extension);
}

TThumbnailLoader& TListPhotos::Loader() {
    if (!loader_) {
        const int workers = std::clamp(QThread::idealThreadCount(), 1, kMostWorkers);
        loader_ = std::make_unique<TThumbnailLoader>(
            TThumbnailCache(ThumbnailRoot()), TThumbnailSize::Normal, workers, kLoaderMemoryBytes);
        QObject::connect(
            loader_.get(), &TThumbnailLoader::Ready, &context_,
            [this](const std::string& path, long long stamp) { Arrived(path, stamp); });
    }
    return *loader_;
}

QPixmap TListPhotos::Picture(const TFile& file) {
    const QByteArray key = KeyOf(file);
    if (const QPixmap* known = scaled_.object(key))
        return *known;
    if (TakeFromLoader(file, key))
        return *scaled_.object(key);
    Loader().Request({{file.path, file.stamp, visiblePriority_.Take()}});
    asked_.insert(file.path);
    return {};
}

bool TListPhotos::TakeFromLoader(const TFile& file, const QByteArray& key) {
    if (!loader_)
        return false;
    std::optional<QImage> made = loader_->Find(file.path, file.stamp);
    if (!made)
        return false;
    QPixmap picture;
    if (!made->isNull())
        picture = QPixmap::fromImage(
            made->width() <= pixels_ && made->height() <= pixels_
                ? *made
                : made->scaled(pixels_, pixels_, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    const qsizetype bytes = picture.isNull() ? 0 : 4LL * picture.width() * picture.height();
    scaled_.insert(key, new QPixmap(picture),
                   static_cast<qsizetype>(std::max<qsizetype>(1, bytes / 1024)));
    return true;
}

void TListPhotos::RequestInBackground(const std::vector<TFile>& files) {
    std::vector<TThumbnailLoader::TRequest> requests;
    requests.reserve(files.size());
    for (const TFile& file : files)
        if (!scaled_.contains(KeyOf(file)))
            requests.push_back({file.path, file.stamp, kBackgroundPriority});
    if (!requests.empty())
        Loader().Request(requests);
}

void TListPhotos::CancelPending() {
    asked_.clear();
    if (loader_)
        loader_->CancelPending();
}

int TListPhotos::PendingCount() const {
    return loader_ ? loader_->PendingCount() : 0;
}

void TListPhotos::Arrived(const std::string& path, long long stamp) {
    if (asked_.erase(path) == 0)
        return;
    const TFile file{path, stamp};
    TakeFromLoader(file, KeyOf(file));
    arrived_();
}
