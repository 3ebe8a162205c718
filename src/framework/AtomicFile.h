#pragma once

#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "framework/FileHandle.h"
#include "framework/ReplacedFiles.h"
#include "framework/TempFiles.h"

// Safe rewrite of a file: the new content goes to a temporary file in the
// folder of the file it replaces (see TempFiles.h), reaches the disk, and only
// then is renamed over the original within that folder. Whatever fails before
// the rename, the original stays as it was and the temporary file is removed;
// a crash leaves the original intact (at worst a temporary file stays behind,
// which TidyTempFiles clears).
//
// What the rewrite keeps of the file it replaces: the permission bits, owner
// and group, extended attributes and the modification time. When the owner or
// group cannot be given to the new file (a user rewriting another user's
// file), or the file has more than one name (each must see the new content),
// the file is overwritten in place instead, safely: its original content is
// first copied to a hidden file beside it and flushed, then the file is
// overwritten and flushed, then the copy is removed. A crash in between
// leaves the whole original in the file or in the copy, and TidyTempFiles puts
// the copy back. (Its modification time is kept only where the process may set
// it.) A file the user may write in a folder the user may not is overwritten
// in place too, with the new content and the original's copy in the user's
// cache of originals instead (see TempFiles.h; TidyCachedOriginals puts it
// back).
//
// A rewrite made from a TFileOrigin writes only onto the file that was read:
// just before the rename it checks that the name in the folder still names
// that very file (device, inode, not a link), with the size, modification and
// change times that were read, and, when the read took a read lease, that no
// one has opened it for writing since. If anything changed the file is passed
// over: left alone, the temporary file removed.
//
// Failures are reported as TAtomicFileError: a std::system_error carrying the
// operating system's error code (errno, generic category) and the path it
// concerns; callers turn them into their own messages. Used on one thread; an
// object is not shared.
class TAtomicFileError : public std::system_error {
  public:
    TAtomicFileError(int error, const std::string& path)
        : std::system_error(error, std::generic_category(), path), path_(path) {}
    // The file's folder takes no new file (`error`), and its original cannot
    // be kept in the user's cache either (`cacheError`).
    TAtomicFileError(int error, const std::string& folder, const std::string& cache, int cacheError)
        : std::system_error(error, std::generic_category(), folder),
          path_(folder),
          cache_(cache),
          cacheError_(cacheError) {}
    // The file, or the folder for the second kind.
    const std::string& Path() const { return path_; }
    const std::string& Cache() const { return cache_; }
    // 0 for the first kind.
    int CacheError() const { return cacheError_; }

  private:
    std::string path_;
    std::string cache_;
    int cacheError_ = 0;
};

// The file a rewrite replaces, as it was opened and read.
struct TFileOrigin {
    TFileHandle folder;    // the folder whose entry `name` is the file
    std::string name;      // a plain name in that folder, not a link
    TFileHandle file;      // the read-only descriptor the content was read through
    struct stat facts {};  // fstat of `file` at the read
    bool leased = false;   // `file` holds a read lease (F_SETLEASE F_RDLCK)
    std::string path;      // the file's path, for messages
};

class TAtomicFileGroup;

// Whether the file that was read is still as it was (see the class comment):
// 0; TAtomicFile::kPassedOver when it changed, moved or is being opened for
// writing; or the errno value of a failed look. A new file (no descriptor
// read) is unchanged.
int CheckUnchanged(const TFileOrigin& origin) noexcept;

// A second descriptor for writing onto the same open file, reached through
// the process's own descriptor table rather than any name. It does not wait:
// another process's lease refuses it (EWOULDBLOCK).
TFileHandle ReopenForWriting(int fd);

class TAtomicFile {
  public:
    // Result of PutInPlace besides 0 (in place) and errno values.
    static constexpr int kPassedOver = -1;

    // By name: resolves symbolic links in `path`, checks that an existing
    // target is a regular file that may be written (EISDIR / EACCES otherwise;
    // a file without any write bit counts as not writable even for root),
    // opens it and its folder, and creates the temporary file there. A target
    // that does not exist yet is created with mode 0666 less the umask.
    explicit TAtomicFile(const std::string& path);
    // Onto the file that was read (see the class comment); the caller has
    // checked that it may be written.
    explicit TAtomicFile(TFileOrigin origin);
    // The same, for a rewrite to be handed to `group`: the temporary file is
    // one the group kept from its earlier renames when it can (see
    // ReplacedFiles.h).
    TAtomicFile(TFileOrigin origin, TAtomicFileGroup& group);
    // Removes the temporary file unless the content was put in place or a
    // group took it.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // The temporary file's descriptor, open for writing at offset 0. The
    // caller writes the whole new content through it, in order (the content
    // ends at the descriptor's offset), and may not close it.
    int Handle() const { return temp_.handle.Get(); }
    // Writes all of the bytes; throws on a short or failed write.
    void Write(const void* data, std::size_t size);

    // Puts the content in place now: attributes and modification time copied,
    // data flushed to disk, renamed over the target, folder flushed. Returns
    // false when the file was passed over. On failure or pass the target is
    // untouched and the temporary file is gone.
    bool Commit();
    // Hands the content to the group, which puts it in place at its next
    // Flush (see TAtomicFileGroup). Throws when the attributes cannot be set.
    void Commit(TAtomicFileGroup& group);

    // Gives the new content this modification time instead of the replaced
    // file's. Call before Commit.
    void SetModificationTime(const timespec& time) { newTime_ = time; }

    // The path the content replaces (symbolic links resolved).
    const std::string& TargetPath() const { return origin_.path; }

  private:
    friend class TAtomicFileGroup;
    TAtomicFile() = default;  // an empty holder a group moves a handed file into
    void Create();
    // The temporary file in the user's cache, for a file whose folder takes
    // none (`folderError`); throws when that cannot be either.
    void CreateInCache(int folderError);
    // The folder of the temporary file and of the original's copy.
    int TempFolder() const { return cache_.Valid() ? cache_.Get() : origin_.folder.Get(); }
    void CopyAttributes();
    // Data on disk and the content in place. Returns 0, kPassedOver or the
    // error number; on anything but 0 the caller discards.
    // The descriptor the content was read through is closed either way.
    int PutInPlace() noexcept;
    // The same without that close; `grouped`: the group synced the data,
    // and keeps the replaced file when the names can be swapped
    // (replacedName_ then names it).
    int PlaceContent(bool grouped) noexcept;
    // Renames the content over the target, or swaps the two.
    int Rename(bool keepReplaced) noexcept;
    // After a swap: whether each name names what it should; swaps back when
    // not.
    int CheckSwap() noexcept;
    int RewriteInPlace() noexcept;
    void Discard() noexcept;

    TFileOrigin origin_;
    TTempFile temp_;
    TFileHandle cache_;  // the user's cache of originals, when the temporary file is there
    // The modification time the content gets: the replaced file's or newTime_.
    timespec ModificationTime() const;

    std::optional<timespec> newTime_;
    std::string replacedName_;
    bool reused_ = false;  // the temporary file is a kept replaced file
    bool inPlace_ = false;
    bool timeLost_ = false;  // overwritten in place, its modification time not set
};

// A group of rewrites made durable together: TAtomicFile::Commit(group) hands
// the written file to the group, which has the disk start on a large one's
// data while the owner writes the next, and returns at once; Flush makes
// every handed file's data durable with one sync of each file system they are
// on (instead of one flush per file, which costs a disk round trip each), then
// checks and renames them one after the other and flushes each of their
// folders once. Send does the same in two halves: the sync runs on a helper
// while the owner writes the next batch, and the renames follow at the next
// Send or Flush. So no file is ever replaced by content that is not on disk,
// and a crash before the renames leaves every original in place.
//
// The files the renames replaced are held open, and so not yet freed. Where
// the renames swapped names, a replaced file whose folder's flush succeeded
// serves as the temporary file of a later rewrite made with the group (see
// ReplacedFiles.h). The others are held until they add up to kMostHeldBytes
// or to their share of the process's descriptors, or their file system has
// less than kLeastFreeBytes left; then the group's helper threads let them go
// while the owner goes on. Freeing a file can wait for the disk (a file
// system mounted with online discard waits for each), and a file system may
// pass over recently freed inodes when it makes the next new file; holding
// them keeps both off the owner's way. The disk space of the held files is
// free again when they go.
//
// Handed files wait, holding their descriptors, until Flush or Send: the
// owner decides when (Due, PendingCount, PendingBytes, Full); the destructor
// flushes what is left, swallows errors (the files that fail keep their
// originals) and lets every held file go. Flush throws TAtomicFileError for
// the first handed file that failed; the others are in place. The group's own
// calls are made on the thread that made it; its helpers run with every
// signal blocked.
class TAtomicFileGroup {
  public:
    // Starts a helper thread running the given work; throws std::system_error
    // when it cannot.
    using ThreadStart = std::function<std::thread(std::function<void()>)>;
    static std::thread StartHelper(std::function<void()> work);

    // Makes everything written to the file system of the descriptor durable;
    // returns 0 or the error number (a writeback error of any file there).
    using FileSystemSync = std::function<int(int fd)>;
    static int SyncFileSystem(int fd);

    explicit TAtomicFileGroup(FileSystemSync sync = SyncFileSystem,
                              ThreadStart start = StartHelper);
    ~TAtomicFileGroup();
    TAtomicFileGroup(const TAtomicFileGroup&) = delete;
    TAtomicFileGroup& operator=(const TAtomicFileGroup&) = delete;

    // How the owner spends a Flush's sync: it calls `finished`, which waits at
    // most the given milliseconds for the sync and says whether it is over,
    // until that holds, and may do its own work in between (a window keeps
    // answering). With a wait set, the sync runs on a helper thread; it is
    // over before any file is renamed. Without one (or without a helper),
    // the owner's thread syncs.
    using SyncWait = std::function<void(const std::function<bool(int milliseconds)>& finished)>;
    void SetSyncWait(SyncWait wait) { syncWait_ = std::move(wait); }

    // Returns the paths of the handed files that were passed over.
    std::vector<std::string> Flush();
    // Starts the sync of the handed files on a helper and returns at once, so
    // that the owner writes the next batch meanwhile; the next Send or Flush
    // waits for that sync (as SetSyncWait says) and puts the files in place
    // before anything else. Returns, and throws, as Flush does for the files
    // it put in place: those of the batch sent before.
    std::vector<std::string> Send();
    // The paths of the files flushed so far that were overwritten in place
    // without their modification time (not the process's own); cleared.
    std::vector<std::string> TakeTimesNotKept() { return std::exchange(timesNotKept_, {}); }
    // Files and bytes handed since the last Flush or Send.
    std::size_t PendingCount() const { return handed_.size(); }
    long long PendingBytes() const { return pendingBytes_; }
    // True when the handed files hold their share of the descriptors the
    // process may spare (its open-file limit less what was open when the
    // group was made): flush before handing another.
    bool Full() const { return handed_.size() + inFlight_.size() >= maxPending_; }
    // True when the handed files make a batch to flush now: Full, or the
    // batch's bound of files or kMostBatchBytes reached. The first batch is
    // small, so that the next can reuse its replaced files rather than make
    // new ones; the bound doubles, up to kMostBatchFiles, after each batch
    // whose sync took more than a quarter of the time its files took to be
    // written, so that a slow disk is not waited for too often.
    bool Due() const;
    static constexpr std::size_t kFirstBatchFiles = 16;
    static constexpr std::size_t kMostBatchFiles = 1024;
    static constexpr long long kMostBatchBytes = 256LL << 20;

    // Replaced files are let go once they hold this many bytes of the disk,
    // or once their file system has less than the other left.
    static constexpr long long kMostHeldBytes = 4LL << 30;
    static constexpr long long kLeastFreeBytes = 1LL << 30;
    // True when a file handed and not yet put in place replaces the file
    // with these facts (device, inode): reading it now may give either
    // content.
    bool Holds(const struct stat& facts) const;

  private:
    friend class TAtomicFile;
    struct FileId {
        unsigned long long device, inode;
        auto operator<=>(const FileId&) const = default;
    };
    // Makes `temp` a kept replaced file in `folder` (ReuseAsTemp); false
    // when none serves.
    bool Reuse(int folder, TTempFile& temp);
    struct Handed {
        std::unique_ptr<TAtomicFile> file;
        dev_t device;  // of its new content
        int result = 0;
        std::optional<FileId> flushedFolder;  // its folder, once put in place and flushed
    };
    void Queue(std::unique_ptr<TAtomicFile> file);
    // Syncs each file system the handed files are on; a failed sync fails
    // every file on it.
    void SyncAll(std::vector<Handed>& handed);
    // Starts SyncAll of inFlight_ on a helper (on this thread when none
    // starts).
    void StartSync();
    // Waits for that sync as syncWait_ says; returns how long it waited.
    std::chrono::steady_clock::duration WaitForSync();
    // Puts the batch in flight in place once its sync is over.
    std::vector<std::string> Land();
    // Puts synced files in place (or discards those whose sync failed) and
    // keeps what they replaced; throws for the first failure.
    std::vector<std::string> Place(std::vector<Handed>& handed);
    // Flushes the folders of the files put in place, each once (noting it
    // in flushedFolder), and gathers what the owner is told.
    std::vector<std::string> Finish(std::vector<Handed>& handed);
    // Keeps the files the placed ones replaced (those swapped in a flushed
    // folder for reuse), letting the held ones go when they reach their
    // bounds.
    void Hold(std::vector<Handed>& placed);
    std::size_t HeldCount() const { return held_.size() + spares_.size(); }
    // Whether a file system the placed files are on has less than
    // kLeastFreeBytes left.
    static bool LowOnSpace(const std::vector<Handed>& placed);
    // Lets the held files go on the helpers (on this thread when none can
    // start), once those let go before are gone.
    void Release();
    // Lets these go on the helpers, at once.
    void LetGoAway(std::vector<TReplacedFile> files);
    void WaitForRelease();
    // The files being let go now.
    std::size_t Releasing();
    void ReleaseLoop();
    void StopHelpers();

    FileSystemSync sync_;
    SyncWait syncWait_;
    std::size_t maxPending_;
    std::size_t maxHeld_;
    std::vector<TReplacedFile> held_;
    std::vector<TReplacedFile> spares_;  // held and reusable
    long long heldBytes_ = 0;
    std::vector<Handed> handed_;
    std::size_t batchFiles_ = kFirstBatchFiles;
    std::chrono::steady_clock::time_point batchStart_;  // when the first file was handed
    std::set<FileId> targets_;
    // The batch sent: synced by syncer_, which sets synced_ when done.
    std::vector<Handed> inFlight_;
    std::set<FileId> inFlightTargets_;
    std::chrono::steady_clock::duration inFlightWriting_{};  // how long its files took
    std::thread syncer_;
    std::promise<void> syncing_;
    std::future<void> synced_;
    long long pendingBytes_ = 0;
    std::vector<std::string> timesNotKept_;

    ThreadStart start_;
    std::vector<std::thread> helpers_;
    std::mutex mutex_;  // guards what follows
    std::condition_variable work_;
    std::condition_variable idle_;
    std::deque<TReplacedFile> releasing_;
    std::size_t busy_ = 0;
    bool stopping_ = false;
};
