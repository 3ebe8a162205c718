#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "shell/PassPriority.h"
#include "shell/TakenDates.h"

// The dates of the "Date taken" column for one list, read by a background
// thread so that the window never waits for a file (TakenDates.h).
//
// The list asks for the names it shows (Date), which go ahead of everything
// waiting, the latest asked first; the rest of a folder waits behind them in
// the order given (RequestInBackground), handed over in one piece however
// many they are. A shown name that also waits behind is read twice. The thread, running at a lower
// scheduling priority than the window, hands the dates back in batches to the list's thread, which
// keeps them and announces each batch (the `arrived` callback).
//
// A new folder (SetFolder) drops every date and everything waiting: dates
// being read for the old one are thrown away when they come.
class TListDates {
  public:
    explicit TListDates(std::function<void()> arrived);
    ~TListDates();
    TListDates(const TListDates&) = delete;
    TListDates& operator=(const TListDates&) = delete;

    // Starts over with the dates of another folder, or of none; `keepDates`
    // keeps the dates known until each is read again (RequestInBackground
    // with `again`).
    void SetFolder(std::shared_ptr<const ITakenDatesFolder> folder, bool keepDates = false);
    const ITakenDatesFolder* Folder() const { return folder_.get(); }

    // The date of the file `name` when it is known; otherwise null, and the
    // name is asked for ahead of all that waits.
    const TTakenDate* Date(const std::string& name);
    // The date of the file `name` when it is known, without asking for it.
    const TTakenDate* Known(const std::string& name) const;
    // Queues names behind those asked for: those without a date, or `again`
    // every one.
    void RequestInBackground(const std::vector<std::string>& names, bool again = false);
    // The file changed: its date is read again when next asked for.
    void Forget(const std::string& name);

    // Names waiting or being read.
    int PendingCount() const;

  private:
    struct TJob {
        std::string name;
        std::shared_ptr<const ITakenDatesFolder> folder;
        int generation = 0;
    };
    struct TRead {
        std::string name;
        int generation = 0;
        TTakenDate date;
    };
    // Queue order: higher priority first, then earlier request.
    using TOrder = std::pair<long long, long long>;  // (-priority, sequence)

    void Queue(const std::string& name, long long priority);
    // The next job, shown names first; false when the reader stops.
    bool TakeJob(std::unique_lock<std::mutex>& lock, TJob& job);
    void StartReader();  // mutex_ held
    void Work();
    void Deliver();

    std::function<void()> arrived_;
    QObject context_;  // of the deliveries
    std::shared_ptr<const ITakenDatesFolder> folder_;
    std::unordered_map<std::string, TTakenDate> dates_;
    TPassPriority priority_;

    mutable std::mutex mutex_;  // guards what follows
    std::condition_variable wake_;
    std::map<TOrder, TJob> queue_;
    std::unordered_map<std::string, std::map<TOrder, TJob>::iterator> queued_;
    std::vector<std::string> background_;  // read from backgroundNext_ on
    std::size_t backgroundNext_ = 0;
    std::shared_ptr<const ITakenDatesFolder> workFolder_;  // folder_, for the reader
    int reading_ = 0;
    std::vector<TRead> read_;
    int generation_ = 0;
    long long sequence_ = 0;
    bool stopping_ = false;
    std::thread worker_;  // started on first need
};
