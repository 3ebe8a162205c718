#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

// Safe rewrite of a file: the new content goes to a temporary file in the same
// folder as the file it replaces, reaches the disk, and only then is renamed
// over the original. Whatever fails before the rename, the original stays as it
// was and the temporary file is removed; a crash leaves the original intact
// (at worst a hidden ".kadrimark-*.tmp" file stays behind in the folder).
//
// What the rewrite keeps of the file it replaces: the permission bits, owner
// and group (where the process may set them; silently not otherwise) and the
// modification time. A symbolic link stays a link: its target is rewritten.
// A file that does not exist yet is created with mode 0666 less the umask.
//
// Failures are reported as TAtomicFileError: a std::system_error carrying the
// operating system's error code (errno, generic category) and the path it
// concerns; callers turn them into their own messages. Used on one thread; an
// object is not shared.
class TAtomicFileError : public std::system_error {
  public:
    TAtomicFileError(int error, const std::string& path)
        : std::system_error(error, std::generic_category(), path), path_(path) {}
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

class TAtomicFile {
  public:
    // Resolves symbolic links in `path`, checks that an existing target is a
    // regular file that may be written (EISDIR / EACCES otherwise; a file
    // without any write bit counts as not writable even for root) and creates
    // the temporary file beside the target.
    explicit TAtomicFile(const std::string& path);
    // Removes the temporary file unless Commit succeeded or a group took it.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // The temporary file's descriptor, open for writing at offset 0. The
    // caller writes the whole new content through it (and may not close it).
    int Handle() const { return fd_; }
    // Writes all of the bytes; throws on a short or failed write.
    void Write(const void* data, std::size_t size);

    // Puts the content in place: attributes and modification time copied,
    // data flushed to disk, renamed over the target, folder flushed. When a
    // TAtomicFileGroup is open on this thread the object is handed to it
    // instead and the rename happens at the group's Flush (see there).
    // On failure the target is untouched and the temporary file is gone.
    void Commit();

    // The path the content replaces (symbolic links resolved).
    const std::string& TargetPath() const { return target_; }

  private:
    friend class TAtomicFileGroup;
    TAtomicFile() = default;  // an empty holder a group moves a queued file into
    void CopyAttributes();
    // Data on disk, temporary file closed and renamed over the target.
    // Returns 0 or the error number; on failure the caller discards.
    int PutInPlace() noexcept;
    void Discard() noexcept;

    std::string target_;
    std::string temp_;
    int fd_ = -1;
};

// A group of rewrites put in place in the background: while a group is open
// (it is the innermost one on this thread), TAtomicFile::Commit hands the file
// to the group's helper threads and returns at once. A helper puts it in place
// - its data on disk, then its rename - while the caller goes on with the next
// file, so the waits for the disk overlap with the work and with each other,
// and every rename still comes after its own data are on disk. Flush waits
// until every handed file is in place (or failed) and flushes their folders.
//
// A handed file may replace its target at any moment until Flush returns. The
// owner decides when to flush (PendingCount, PendingBytes); the destructor
// flushes what is left and swallows errors (the files that fail keep their
// originals). Flush throws TAtomicFileError for the first handed file that
// failed; the others are in place. The group's own calls are made on the
// thread that opened it.
class TAtomicFileGroup {
  public:
    TAtomicFileGroup();
    ~TAtomicFileGroup();
    TAtomicFileGroup(const TAtomicFileGroup&) = delete;
    TAtomicFileGroup& operator=(const TAtomicFileGroup&) = delete;

    void Flush();
    // Files and bytes handed since the last Flush.
    std::size_t PendingCount() const { return handed_.size(); }
    long long PendingBytes() const { return pendingBytes_; }
    // True when a file handed since the last Flush replaces the file that
    // `path` names (links followed): reading `path` now may give either content.
    bool Holds(const std::string& path) const;

    // The innermost open group on this thread, or nullptr.
    static TAtomicFileGroup* Current();

  private:
    friend class TAtomicFile;
    struct Handed {
        std::unique_ptr<TAtomicFile> file;
        int error = 0;
    };
    struct FileId {
        unsigned long long device, inode;
        auto operator<=>(const FileId&) const = default;
    };
    void Queue(TAtomicFile& file);
    void Help();
    void StopHelpers();

    std::deque<Handed> handed_;  // stable addresses for the helpers
    std::set<FileId> targets_;
    long long pendingBytes_ = 0;
    TAtomicFileGroup* outer_;

    std::mutex mutex_;  // guards what follows
    std::condition_variable work_;
    std::condition_variable finished_;
    std::deque<Handed*> todo_;
    std::size_t finishedCount_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> helpers_;
};
