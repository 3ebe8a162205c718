#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ShellPrompts.h"

// Copying, moving and linking items into a folder, as paste and drops do.
//
// Rules every operation keeps:
// - A name in the target folder is never overwritten without asking: a clash
//   asks `prompts` (replace, skip, keep both, cancel). Copying an item into
//   the folder it is in keeps both without asking; moving it there does
//   nothing; a link that clashes keeps both.
// - Kept both means a free name "name (2).ext", "name (3).ext", ...
// - A copy is built under a hidden temporary name in the target folder (its
//   data on disk first) and renamed into place at the end, so a copy that
//   fails half way leaves nothing under the target name. A move across file
//   systems is such a copy followed by removing the source.
// - The target folder is opened once and everything is made through that
//   descriptor; sources are opened once, symbolic links are not followed
//   (a link is copied as a link).
// - Sources are full paths from outside: a relative path, or one whose last
//   component is empty, "." or "..", is refused. A folder is never copied or
//   moved into itself or below itself.
//
// Results: S_OK when every item was done or skipped; the first failure's code
// otherwise (the items after a failure are still tried); E_ABORT when the
// person cancelled (the items before stay done).
//
// An operation may run in a worker thread: it tells a TOperationProgress what
// it has done, which the UI thread reads, and stops with E_ABORT soon after
// the progress is cancelled (between items, between a folder's entries, and
// between blocks of a file). A copy cut short this way is removed like one
// that failed, and what it had counted is taken back: the progress says what
// is left done.

// What a running operation has done; every member may be used from any thread.
class TOperationProgress {
  public:
    // One more file (or link, or item moved or deleted whole) done.
    void AddFile() { files_.fetch_add(1, std::memory_order_relaxed); }
    void AddBytes(std::uint64_t bytes) { bytes_.fetch_add(bytes, std::memory_order_relaxed); }
    // Files and bytes counted for a copy that was removed again.
    void TakeBack(std::uint64_t files, std::uint64_t bytes) {
        files_.fetch_sub(files, std::memory_order_relaxed);
        bytes_.fetch_sub(bytes, std::memory_order_relaxed);
    }
    std::uint64_t Files() const { return files_.load(std::memory_order_relaxed); }
    std::uint64_t Bytes() const { return bytes_.load(std::memory_order_relaxed); }
    // The name of the item being worked on.
    void SetCurrent(const std::string& name);
    std::string Current() const;
    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const { return cancelled_.load(); }

  private:
    std::atomic<std::uint64_t> files_{0}, bytes_{0};
    std::atomic<bool> cancelled_{false};
    mutable std::mutex currentLock_;
    std::string current_;
};

enum class TFileOperation { Copy, Move, Link };

struct TFileOperationResult {
    HRESULT Code = S_OK;
    // The names the items got in the target folder, in order (skipped and
    // failed items left out).
    std::vector<std::string> Placed;
    // The source that could not be found or opened, when that was the first
    // failure; empty when the first failure lay elsewhere.
    std::string MissingSource;
};

TFileOperationResult TransferItems(TFileOperation operation,
                                   const std::vector<std::string>& sources,
                                   const std::string& targetFolder, IShellPrompts& prompts,
                                   TOperationProgress& progress);

// The report for a source that could not be found or opened: it names the
// source, not the place it was going to.
std::string MissingItemText(const std::string& path, HRESULT code);

// Removes an item for good, a folder with everything in it (links are removed,
// never followed). Cancelled half way, what was removed stays removed.
HRESULT RemoveItem(const std::string& path, TOperationProgress& progress);

// The last component of a full path; empty when there is none usable (empty,
// "." or "..", or a path that is not absolute).
std::string ItemNameOf(const std::string& path);

// "name (n).ext" for n >= 2; folders and names whose only dot leads keep no
// extension apart.
std::string NumberedName(const std::string& name, int n, bool isFolder);
