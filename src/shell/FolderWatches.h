#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "shell/ChangeHandlerThread.h"

// The folders a shell control watches, one change-watcher slot each (no
// subtree), kept as the control loads and drops them: each folder is held by
// the controls' items that show it and watched while at least one holds it.
// The watcher thread is made on the first watch and posts (message, slot, 0)
// to the window for every change. While no slot is free a folder waits, the
// longest waiting first to take a freed slot; a folder that cannot be watched
// (the per-user inotify limit, gone) is simply left unwatched. User-interface
// thread only.
class TFolderWatches {
  public:
    TFolderWatches(WindowHandle window, std::uint32_t message)
        : window_(window), message_(message) {}

    // One more holder of the folder; the first one starts its watch.
    void Hold(const std::string& folder);
    // One holder less; the last one ends the watch.
    void Release(const std::string& folder);
    // The changes watched for; 0 watches nothing but keeps the holders. A
    // new filter renews every watch.
    void SetFilter(DWORD filter);
    // Ends every watch and the thread, once the control has dropped its
    // folders; a later Hold starts them again.
    void Stop();

    bool IsWatchedForTest(const std::string& folder) const;
    int Count() const { return static_cast<int>(bySlot_.size()); }

  private:
    struct THeld {
        int holders = 0;
        int slot = -1;  // -1: unwatched
    };

    void StartWatch(const std::string& folder, THeld& held);
    void EndWatch(THeld& held);
    void UnwatchAll();
    void GiveFreeSlots();

    WindowHandle window_;
    std::uint32_t message_;
    DWORD filter_ = 0;
    std::unique_ptr<TChangeHandlerThread> thread_;
    std::map<std::string, THeld> held_;
    std::map<int, std::string> bySlot_;  // watcher slot -> folder
    std::deque<std::string> waiting_;    // held, unwatched for want of a slot
};
