#include "platform/ThumbnailLoader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace {

// How much nicer than the window the workers run.
constexpr int kWorkerNiceness = 10;

QByteArray MemoryKey(const std::string& path, long long stamp) {
    return QByteArray::fromStdString(path) + '\0' + QByteArray::number(stamp);
}

int CostInKiB(const QImage& picture) {
    return static_cast<int>(std::max<qsizetype>(1, picture.sizeInBytes() / 1024));
}

}  // namespace

TThumbnailLoader::TThumbnailLoader(TThumbnailCache cache, TThumbnailSize size, int workers,
                                   long long memoryBytes, QObject* parent)
    : QObject(parent),
      cache_(std::move(cache)),
      size_(size),
      memory_(static_cast<qsizetype>(std::max(1LL, memoryBytes / 1024))) {
    for (int i = 0; i < std::max(1, workers); ++i) {
        workers_.emplace_back(QThread::create([this] { Work(); }));
        workers_.back()->start();
    }
}

TThumbnailLoader::~TThumbnailLoader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
        queued_.clear();
    }
    wake_.notify_all();
    for (auto& worker : workers_)
        worker->wait();
}

std::optional<QImage> TThumbnailLoader::Find(const std::string& path, long long stamp) const {
    if (const QImage* known = memory_.object(MemoryKey(path, stamp)))
        return *known;
    return std::nullopt;
}

void TThumbnailLoader::Request(const std::vector<TRequest>& requests) {
    {
        std::lock_guard lock(mutex_);
        for (const TRequest& request : requests) {
            if (memory_.contains(MemoryKey(request.path, request.stamp)))
                continue;
            auto making = making_.find(request.path);
            if (making != making_.end() && making->second == generation_)
                continue;
            if (auto waiting = queued_.find(request.path); waiting != queued_.end())
                queue_.erase(waiting->second);
            queued_[request.path] = queue_
                                        .emplace(TOrder{request.priority, sequence_++},
                                                 TJob{request.path, request.stamp, generation_})
                                        .first;
        }
    }
    wake_.notify_all();
}

void TThumbnailLoader::CancelPending() {
    std::lock_guard lock(mutex_);
    queue_.clear();
    queued_.clear();
    ++generation_;
}

int TThumbnailLoader::PendingCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(queue_.size() + making_.size());
}

void TThumbnailLoader::Work() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kWorkerNiceness);
    TJob job;
    while (TakeJob(job)) {
        TThumbnail made = MakeThumbnail(cache_, job.path, size_);
        QMetaObject::invokeMethod(
            this, [this, job, picture = made.picture] { Deliver(job, picture); },
            Qt::QueuedConnection);
    }
}

// Waits for the first job in queue order; false when the loader stops.
bool TThumbnailLoader::TakeJob(TJob& job) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_)
        return false;
    job = std::move(queue_.begin()->second);
    queue_.erase(queue_.begin());
    queued_.erase(job.path);
    making_[job.path] = job.generation;
    return true;
}

void TThumbnailLoader::Deliver(const TJob& job, const QImage& picture) {
    memory_.insert(MemoryKey(job.path, job.stamp), new QImage(picture), CostInKiB(picture));
    bool current;
    {
        std::lock_guard lock(mutex_);
        if (auto making = making_.find(job.path);
            making != making_.end() && making->second == job.generation)
            making_.erase(making);
        current = job.generation == generation_;
    }
    if (current)
        emit Ready(job.path, job.stamp);
}
