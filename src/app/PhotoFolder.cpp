#include "app/PhotoFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <mutex>
#include <utility>

#include "framework/StreamErrors.h"

namespace {

std::string SelfLink(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A lease that breaks raises SIGIO, whose default action ends the process; the
// break is seen by asking the lease, so the signal itself is not needed. A
// handler the program set is left in place.
void KeepLeaseBreaksQuiet() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            signal(SIGIO, SIG_IGN);
    });
}

// Takes a read lease, which the kernel grants only while nobody has the file
// open for writing and breaks when somebody opens it so. Returns whether it
// was taken; `inUse` when it was refused because of a writer. A file this
// process may not lease (another's, without the capability) gets none.
bool TakeReadLease(int fd, bool& inUse) {
    KeepLeaseBreaksQuiet();
    if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0)
        return true;
    inUse = errno == EAGAIN;
    return false;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Finds the folder that holds the file just opened, and its name there: the
// run's folder when the entry is the file itself; for a link, the folder the
// descriptor was reached in, if it names that file now. Throws when the
// system refuses a descriptor; leaves no folder when there is none.
void FindOwnFolder(int runFolder, TFileOrigin& origin) {
    struct stat named {};
    if (fstatat(runFolder, origin.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(named, origin.facts)) {
        origin.folder = TFileHandle(fcntl(runFolder, F_DUPFD_CLOEXEC, 0));
        if (!origin.folder.Valid())
            throw EFOpenError::CannotOpen(origin.path, errno);
        return;
    }
    char target[PATH_MAX];
    ssize_t length = readlink(SelfLink(origin.file.Get()).c_str(), target, sizeof target);
    if (length <= 0 || target[0] != '/')
        return;
    std::string resolved(target, static_cast<std::size_t>(length));
    TFileHandle folder(open(FolderOf(resolved).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid() && (errno == EMFILE || errno == ENFILE))
        throw EFOpenError::CannotOpen(origin.path, errno);
    std::string name = resolved.substr(resolved.rfind('/') + 1);
    if (!folder.Valid() || fstatat(folder.Get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(named, origin.facts))
        return;
    origin.folder = std::move(folder);
    origin.name = name;
    origin.path = resolved;
}

}  // namespace

TPhotoFolder::TPhotoFolder(const std::string& path)
    : path_(path), handle_(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!handle_.Valid())
        throw EFOpenError::CannotOpen(path, errno);
}

TPhotoFolder::TPhotoFolder(std::string path, TFileHandle handle)
    : path_(std::move(path)), handle_(std::move(handle)) {}

namespace {

// The mount a descriptor lies on: its file system and the mount's id, so
// that a bind mount of the same file system counts as another mount too.
bool MountOf(int fd, std::pair<dev_t, std::uint64_t>& mount) {
    struct statx facts {};
    if (statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &facts) != 0)
        return false;
    mount = {makedev(facts.stx_dev_major, facts.stx_dev_minor),
             (facts.stx_mask & STATX_MNT_ID) != 0 ? facts.stx_mnt_id : 0};
    return true;
}

}  // namespace

std::optional<TPhotoFolder> TPhotoFolder::OpenSubfolder(const std::string& name) const {
    std::string path = (path_ == "/" ? "" : path_) + "/" + name;
    TFileHandle handle(
        openat(handle_.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!handle.Valid()) {
        if (errno == ENOTDIR || errno == ELOOP || errno == ENOENT)
            return std::nullopt;
        throw EFOpenError::CannotOpen(path, errno);
    }
    std::pair<dev_t, std::uint64_t> here, there;
    if (!MountOf(handle_.Get(), here) || !MountOf(handle.Get(), there))
        throw EFOpenError::CannotOpen(path, errno);
    if (here != there)
        return std::nullopt;
    return TPhotoFolder(std::move(path), std::move(handle));
}

void TPhotoFolder::Tidy() {
    leftCopies_ = TidyTempFiles(handle_.Get());
    for (TLeftCopy& copy : TidyCachedOriginals(handle_.Get()))
        leftCopies_.push_back(std::move(copy));
}

bool TPhotoFolder::Lock(const std::function<bool()>& stop, const std::function<void()>& waiting) {
    if (flock(handle_.Get(), LOCK_EX | LOCK_NB) == 0) {
        Tidy();
        return true;
    }
    if (errno == EWOULDBLOCK)
        waiting();
    while (flock(handle_.Get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            throw EFOpenError::CannotOpen(path_, errno);
        if (stop())
            return false;
    }
    Tidy();
    return true;
}

std::vector<TLeftCopy> TPhotoFolder::FindLeftCopies() const {
    TFileHandle look(openat(handle_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!look.Valid() || flock(look.Get(), LOCK_SH | LOCK_NB) != 0)
        return {};
    return ListLeftCopies(handle_.Get());
}

bool TPhotoFolder::HasLeftCopy(const struct stat& facts) const {
    struct stat folder {};
    return !leftCopies_.empty() && fstat(handle_.Get(), &folder) == 0 &&
           folder.st_dev == facts.st_dev &&
           std::any_of(leftCopies_.begin(), leftCopies_.end(),
                       [&](const TLeftCopy& copy) { return copy.inode == facts.st_ino; });
}

// Opens the entry as a reference only (no device or FIFO is opened for
// reading by it), then, when it is a regular file, that same file for reading
// through the reference. An invalid handle with errno 0 is no regular file.
TFileHandle OpenRegular(int folder, const std::string& name, bool followLink, struct stat& facts) {
    TFileHandle reference(
        openat(folder, name.c_str(), O_PATH | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
    if (!reference.Valid())
        return reference;
    if (fstat(reference.Get(), &facts) != 0)
        return TFileHandle();
    if (!S_ISREG(facts.st_mode)) {
        errno = 0;
        return TFileHandle();
    }
    return TFileHandle(
        open(SelfLink(reference.Get()).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

TPhotoFile TPhotoFolder::Open(const std::string& name, bool followLink) const {
    std::string path = path_ + "/" + name;
    TFileOrigin origin;
    origin.file = OpenRegular(handle_.Get(), name, followLink, origin.facts);
    const int error = origin.file.Valid() ? 0 : errno;
    // Another's write lease refuses the open: the file is being written.
    bool inUse = error == EWOULDBLOCK;
    // Gone since the listing; a dangling or looping link or a socket is no file.
    struct stat entry {};
    const bool missing =
        error == ENOENT && fstatat(handle_.Get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0;
    const bool notAFile =
        error == 0 ? !origin.file.Valid() : error == ENOENT || error == ELOOP || error == ENXIO;
    if (!origin.file.Valid() && !inUse && !notAFile)
        throw EFOpenError::CannotOpen(path, error);
    if (origin.file.Valid()) {
        if (fstat(origin.file.Get(), &origin.facts) != 0)
            throw EFOpenError::CannotOpen(path, errno);
        origin.leased = TakeReadLease(origin.file.Get(), inUse);
    } else {
        origin.facts = {};
    }
    origin.name = name;
    origin.path = path;
    if (origin.file.Valid() && !inUse)
        FindOwnFolder(handle_.Get(), origin);
    TPhotoFile photo(path, std::move(origin));
    photo.inUse_ = inUse;
    photo.missing_ = missing;
    photo.notAFile_ = notAFile && !missing;
    return photo;
}

TFileHead::TFileHead(int fd, std::int64_t size, std::string path, int blockBytes)
    : fd_(fd),
      size_(static_cast<int>(std::min<std::int64_t>(size, INT_MAX))),
      path_(std::move(path)),
      blockBytes_(std::max(blockBytes, 1)) {}

std::uint8_t TFileHead::Get(int position) const {
    const std::int64_t start = position / blockBytes_ * blockBytes_;
    if (start != blockStart_) {
        block_.resize(static_cast<std::size_t>(std::min<std::int64_t>(blockBytes_, size_ - start)));
        std::size_t done = 0;
        while (done < block_.size()) {
            ssize_t got = pread(fd_, block_.data() + done, block_.size() - done,
                                static_cast<off_t>(start + static_cast<std::int64_t>(done)));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                blockStart_ = -1;
                throw EFOpenError::CannotOpen(path_, got < 0 ? errno : EIO);
            }
            done += static_cast<std::size_t>(got);
        }
        blockStart_ = start;
    }
    return block_[static_cast<std::size_t>(position - start)];
}

std::string_view TFileHead::Held(std::int64_t from, std::int64_t to) const {
    const std::int64_t end = blockStart_ + static_cast<std::int64_t>(block_.size());
    if (blockStart_ < 0 || from < blockStart_ || to > end || from >= to)
        return {};
    return {reinterpret_cast<const char*>(block_.data()) + (from - blockStart_),
            static_cast<std::size_t>(to - from)};
}

TPhotoFile::TPhotoFile(std::string path, TFileOrigin origin)
    : path_(std::move(path)),
      origin_(std::move(origin)),
      head_(origin_.file.Get(), origin_.facts.st_size, path_) {}

bool TPhotoFile::InUse() const {
    return inUse_ || (origin_.leased && fcntl(Handle(), F_GETLEASE) != F_RDLCK);
}

bool TPhotoFile::Writable() const {
    if ((origin_.facts.st_mode & 0222) == 0)
        return false;
    if (faccessat(AT_FDCWD, SelfLink(Handle()).c_str(), W_OK, AT_EACCESS) != 0) {
        if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY)
            return false;
        throw EFOpenError::CannotOpen(path_, errno);
    }
    if (flock(Handle(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return false;
        throw EFOpenError::CannotOpen(path_, errno);
    }
    flock(Handle(), LOCK_UN);
    return true;
}

bool TPhotoFile::TakeOrigin(TFileOrigin& origin) {
    if (!origin_.folder.Valid())
        return false;
    origin = std::move(origin_);
    return true;
}
