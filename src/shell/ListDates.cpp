#include "shell/ListDates.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// How much nicer than the window the reader runs.
constexpr int kReaderNiceness = 10;

}  // namespace

TListDates::TListDates(std::function<void()> arrived) : arrived_(std::move(arrived)) {}

TListDates::~TListDates() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void TListDates::SetFolder(std::shared_ptr<const ITakenDatesFolder> folder, bool keepDates) {
    folder_ = std::move(folder);
    if (!keepDates)
        dates_.clear();
    std::lock_guard lock(mutex_);
    queue_.clear();
    queued_.clear();
    background_.clear();
    backgroundNext_ = 0;
    workFolder_ = folder_;
    ++generation_;
}

const TTakenDate* TListDates::Date(const std::string& name) {
    if (const TTakenDate* known = Known(name))
        return known;
    if (folder_) {
        Queue(name, priority_.Take());
    }
    return nullptr;
}

const TTakenDate* TListDates::Known(const std::string& name) const {
    auto known = dates_.find(name);
    return known != dates_.end() ? &known->second : nullptr;
}

void TListDates::RequestInBackground(const std::vector<std::string>& names, bool again) {
    if (!folder_)
        return;
    std::vector<std::string> wanted;
    wanted.reserve(names.size());
    for (const std::string& name : names)
        if (again || !dates_.contains(name))
            wanted.push_back(name);
    {
        std::lock_guard lock(mutex_);
        if (backgroundNext_ == background_.size()) {
            background_ = std::move(wanted);
            backgroundNext_ = 0;
        } else {
            background_.insert(background_.end(), std::make_move_iterator(wanted.begin()),
                               std::make_move_iterator(wanted.end()));
        }
        StartReader();
    }
    wake_.notify_one();
}

void TListDates::Forget(const std::string& name) {
    dates_.erase(name);
}

int TListDates::PendingCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(queue_.size() + (background_.size() - backgroundNext_) + read_.size()) +
           reading_;
}

// A name already waiting takes the new priority.
void TListDates::Queue(const std::string& name, long long priority) {
    {
        std::lock_guard lock(mutex_);
        if (auto waiting = queued_.find(name); waiting != queued_.end())
            queue_.erase(waiting->second);
        queued_[name] =
            queue_.emplace(TOrder{-priority, sequence_++}, TJob{name, folder_, generation_}).first;
        StartReader();
    }
    wake_.notify_one();
}

void TListDates::StartReader() {
    if (!worker_.joinable())
        worker_ = std::thread([this] { Work(); });
}

void TListDates::Work() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kReaderNiceness);
    std::unique_lock lock(mutex_);
    TJob job;
    while (TakeJob(lock, job)) {
        ++reading_;
        lock.unlock();
        TTakenDate date = job.folder->DateOf(job.name);
        lock.lock();
        --reading_;
        read_.push_back({std::move(job.name), job.generation, std::move(date)});
        if (read_.size() == 1)
            QMetaObject::invokeMethod(
                &context_, [this] { Deliver(); }, Qt::QueuedConnection);
    }
}

bool TListDates::TakeJob(std::unique_lock<std::mutex>& lock, TJob& job) {
    wake_.wait(lock, [this] {
        return stopping_ || !queue_.empty() || backgroundNext_ < background_.size();
    });
    if (stopping_)
        return false;
    if (!queue_.empty()) {
        job = std::move(queue_.begin()->second);
        queue_.erase(queue_.begin());
        queued_.erase(job.name);
    } else {
        job = {std::move(background_[backgroundNext_++]), workFolder_, generation_};
    }
    return true;
}

void TListDates::Deliver() {
    std::vector<TRead> read;
    int generation = 0;
    {
        std::lock_guard lock(mutex_);
        read.swap(read_);
        generation = generation_;
    }
    bool any = false;
    for (TRead& one : read) {
        if (one.generation != generation)
            continue;
        dates_[std::move(one.name)] = std::move(one.date);
        any = true;
    }
    if (any)
        arrived_();
}
