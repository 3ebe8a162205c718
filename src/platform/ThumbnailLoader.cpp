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

// A picture the memory must hold at the least: one larger than the whole
// memory would be forgotten at once and asked for again and again.
long long LargestPictureBytes(TThumbnailSize size) {
    return 4LL * ThumbnailPixels(size) * ThumbnailPixels(size);
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
      memory_(static_cast<qsizetype>(std::max(memoryBytes, LargestPictureBytes(size)) / 1024)) {
    for (int i = 0; i < std::max(1, workers); ++i)
        workers_.emplace_back([this] { Work(); });
}

TThumbnailLoader::~TThumbnailLoader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
        queued_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
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
        QImage picture = MakeThumbnail(cache_, job.path, size_).picture;
        Hand({std::move(job), std::move(picture)});
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

// Queues a made picture for the loader's thread, waking it for the first.
void TThumbnailLoader::Hand(TMade made) {
    std::lock_guard lock(mutex_);
    made_.push_back(std::move(made));
    if (made_.size() == 1)
        QMetaObject::invokeMethod(this, &TThumbnailLoader::DeliverMade, Qt::QueuedConnection);
}

void TThumbnailLoader::DeliverMade() {
    std::vector<TMade> made;
    std::vector<const TJob*> current;
    {
        std::lock_guard lock(mutex_);
        made.swap(made_);
        for (const TMade& one : made) {
            const TJob& job = one.job;
            if (auto making = making_.find(job.path);
                making != making_.end() && making->second == job.generation)
                making_.erase(making);
            if (job.generation == generation_)
                current.push_back(&job);
        }
    }
    for (const TMade& one : made)
        memory_.insert(MemoryKey(one.job.path, one.job.stamp), new QImage(one.picture),
                       CostInKiB(one.picture));
    for (const TJob* job : current)
        emit Ready(job->path, job->stamp);
}
