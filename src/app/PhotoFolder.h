#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ByteBuffer.h"
#include "framework/AtomicFile.h"
#include "framework/FileHandle.h"
#include "framework/TempFiles.h"

// The folder a stamp run works in and the photos it opens there. The folder
// is opened once per run from its path; each photo is then opened once,
// through the folder's descriptor and without blocking, and everything the run
// learns of it - its head, whether it may be written, where its rewrite goes -
// comes from that one descriptor. A symbolic link is followed at that open
// only. Errors are the byte document's: EFOpenError "Cannot open %s.\r\n(%s.)"
// with the system's reason.

class TPhotoFile;

class TPhotoFolder {
  public:
    explicit TPhotoFolder(const std::string& path);

    // The subfolder `name` (a plain name) for a run over subfolders, opened
    // through this folder's descriptor: never through a symbolic link, and
    // never onto another mount (a mounted file system, a bind mount).
    // nullopt for an entry that is no such folder or is gone; throws when it
    // cannot be opened otherwise.
    std::optional<TPhotoFolder> OpenSubfolder(const std::string& name) const;

    const std::string& Path() const { return path_; }
    int Handle() const { return handle_.Get(); }
    // Waits for the folder's run lock (one stamp run per folder at a time;
    // held until the folder is closed), then clears what killed runs left in
    // it and in the user's cache of originals for it (TidyTempFiles,
    // TidyCachedOriginals). Returns false, without the lock, when a signal
    // interrupts the wait and `stop` then answers true. `waiting` is called
    // once before blocking when another run holds the lock.
    bool Lock(const std::function<bool()>& stop, const std::function<void()>& waiting);
    // The original copies the lock's tidy could not put back (a cached one
    // named by its whole path).
    const std::vector<TLeftCopy>& LeftCopies() const { return leftCopies_; }
    // For a look that changes nothing (a dry run): the original copies killed
    // runs left for the folder, none put back (ListLeftCopies). None while a
    // run holds the folder, as that run tidies them; the run lock is held
    // shared during the look, so that no run's tidy starts under it.
    std::vector<TLeftCopy> FindLeftCopies() const;
    // Whether the photo has an original copy that could not be put back: it
    // is left alone.
    bool HasLeftCopy(const struct stat& facts) const;
    // Opens the entry `name` (a plain name, no '/') once, without blocking,
    // and checks the descriptor. An entry that is gone, or is no regular file
    // (a FIFO, device, folder, dangling link, and without `followLink` any
    // symbolic link), gives a photo that says so; throws when it cannot be
    // opened otherwise.
    TPhotoFile Open(const std::string& name, bool followLink = true) const;

  private:
    TPhotoFolder(std::string path, TFileHandle handle);
    void Tidy();

    std::string path_;
    TFileHandle handle_;
    std::vector<TLeftCopy> leftCopies_;
};

// The first bytes of an open file, read on demand one block at a time, so
// that the checks before a whole load read only what they look at. Files
// larger than the largest int show that much.
class TFileHead : public IByteSource {
  public:
    // Reads blocks of `blockBytes`: large for a run that goes on to copy the
    // photo, small for a look at its first segments alone.
    TFileHead(int fd, std::int64_t size, std::string path, int blockBytes = kDefaultBlockBytes);
    static constexpr int kDefaultBlockBytes = 64 * 1024;
    int Size() const override { return size_; }
    // Throws EFOpenError when the file cannot be read there.
    std::uint8_t Get(int position) const override;
    // The bytes [from, to) when the block read last holds them all, so that
    // a rewrite writes what was checked without reading it again; empty
    // otherwise.
    std::string_view Held(std::int64_t from, std::int64_t to) const;

  private:
    int fd_;
    int size_;
    std::string path_;
    std::int64_t blockBytes_;
    mutable std::int64_t blockStart_ = -1;
    mutable std::vector<std::uint8_t> block_;
};

class TPhotoFile {
  public:
    const std::string& Path() const { return path_; }
    // The file's facts at the open (fstat of the descriptor).
    const struct stat& Facts() const { return origin_.facts; }
    int Handle() const { return origin_.file.Get(); }
    const TFileHead& Head() const { return head_; }
    // Another process had the file open for writing at the open, or has
    // opened it for writing since: it is being written.
    bool InUse() const;
    // The entry was gone at the open (moved or deleted since the listing).
    bool Missing() const { return missing_; }
    // The entry is no regular file: it is left alone.
    bool NotAFile() const { return notAFile_; }
    // The writability probe: the file has a write bit, this process may write
    // it, and no other process holds a lock on it. Throws on other failures
    // (too many open files, for example).
    bool Writable() const;
    // Where a rewrite of this file goes: the folder that held the file when it
    // was opened and its name there (for a link, the link's target). False
    // when no folder named the file at the open (a link swapped meanwhile):
    // pass it over.
    bool TakeOrigin(TFileOrigin& origin);

  private:
    friend class TPhotoFolder;
    TPhotoFile(std::string path, TFileOrigin origin);

    std::string path_;
    TFileOrigin origin_;
    TFileHead head_;
    bool inUse_ = false;
    bool missing_ = false;
    bool notAFile_ = false;
};
