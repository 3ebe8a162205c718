#pragma once

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QObject>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/Thumbnailer.h"

// Pictures of files for a view, made in the background so that the window
// never waits for one.
//
// The view asks for the files it shows (Request); worker threads, running at
// a lower scheduling priority than the window, take the waiting requests
// highest priority first (the earliest asked first within one priority),
// make each picture (MakeThumbnail) and hand it back to the loader's thread
// (several at a time when they come quickly), which keeps it in a memory
// cache of bounded size and announces it (Ready).
// The view then draws it from Find. A file without a picture (failed,
// unavailable) is remembered too, so that it is not asked for again.
//
// A file is named by its path and a stamp of the caller's choosing that
// changes whenever the file does (its modification time, for instance): a
// file with a new stamp is a new file to the loader.
//
// CancelPending drops every waiting request, as a view does when it shows
// another folder; pictures already being made are kept but no longer
// announced (each request belongs to the generation it was made in).
//
// The loader's own calls are made on the thread that made it; its signal is
// emitted there.
class TThumbnailLoader : public QObject {
    Q_OBJECT

  public:
    struct TRequest {
        std::string path;
        long long stamp = 0;
        int priority = 0;  // higher first
    };

    // `workers` threads (at least one) make pictures of `size` with `cache`;
    // decoded pictures take at most `memoryBytes` (raised to hold one of the
    // largest), the least recently used forgotten first.
    TThumbnailLoader(TThumbnailCache cache, TThumbnailSize size, int workers, long long memoryBytes,
                     QObject* parent = nullptr);
    // Drops what waits and waits for the pictures being made.
    ~TThumbnailLoader() override;

    TThumbnailSize Size() const { return size_; }

    // What is known of the file: nothing yet (no value), no picture (a null
    // image), or its picture.
    std::optional<QImage> Find(const std::string& path, long long stamp) const;

    // Queues the files that are neither known nor being made for this
    // generation; a file that waits already takes the new priority.
    void Request(const std::vector<TRequest>& requests);

    // Drops every waiting request and starts a new generation.
    void CancelPending();

    // Requests waiting or being made.
    int PendingCount() const;

  signals:
    // The file's picture (or its lack) is known now: Find gives it.
    void Ready(const std::string& path, long long stamp);

  private:
    struct TJob {
        std::string path;
        long long stamp = 0;
        int generation = 0;
    };
    // Queue order: higher priority first, then earlier request.
    struct TOrder {
        int priority;
        long long sequence;
        bool operator<(const TOrder& other) const {
            return priority != other.priority ? priority > other.priority
                                              : sequence < other.sequence;
        }
    };
    using TQueue = std::map<TOrder, TJob>;

    struct TMade {
        TJob job;
        QImage picture;
    };

    void Work();
    bool TakeJob(TJob& job);
    void Hand(TMade made);
    void DeliverMade();

    const TThumbnailCache cache_;
    const TThumbnailSize size_;
    QCache<QByteArray, QImage> memory_;  // cost in KiB; used on the loader's thread
    std::vector<std::thread> workers_;

    mutable std::mutex mutex_;  // guards what follows
    std::condition_variable wake_;
    TQueue queue_;
    std::unordered_map<std::string, TQueue::iterator> queued_;  // by path
    std::unordered_map<std::string, int> making_;  // taken, not yet delivered: path -> generation
    std::vector<TMade> made_;                      // waiting for the loader's thread
    int generation_ = 0;
    long long sequence_ = 0;
    bool stopping_ = false;
};
