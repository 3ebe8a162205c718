#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/ChangeHandlerThread.h"

// The folders a shell control watches, one change-watcher slot each (no
// subtree). The watcher thread is made on the first folder and posts
// (message, slot, 0) to the window for every change. A folder that cannot be
// watched (no slot left, the per-user inotify limit, gone) is simply left
// unwatched. User-interface thread only.
class TFolderWatches {
  public:
    TFolderWatches(WindowHandle window, std::uint32_t message)
        : window_(window), message_(message) {}

    // Watches exactly these folders (the first ones while slots last): drops
    // the watches of folders no longer named, adds the missing ones.
    void Watch(const std::vector<std::string>& folders, DWORD filter);
    // Drops every watch; the thread stays for the next Watch.
    void Clear();
    // Stops the thread as well.
    void Stop();

    bool IsWatchedForTest(const std::string& folder) const { return slots_.count(folder) != 0; }
    int Count() const { return static_cast<int>(slots_.size()); }

  private:
    void Hold(const std::string& folder, int slot);

    WindowHandle window_;
    std::uint32_t message_;
    DWORD filter_ = 0;
    std::unique_ptr<TChangeHandlerThread> thread_;
    std::map<std::string, int> slots_;  // folder -> watcher slot
};
