#include "framework/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

thread_local TAtomicFileGroup* currentGroup = nullptr;

// How many files a group puts in place at once: each waits on the disk (its
// flush, and the release of the file it replaces), and those waits overlap.
constexpr std::size_t kHelpers = 16;

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to the path the content belongs to; the
// end of the chain need not exist yet.
std::string ResolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char buffer[PATH_MAX];
        ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
        if (length < 0)
            throw TAtomicFileError(errno, path);
        std::string link(buffer, static_cast<std::size_t>(length));
        path = link.starts_with('/') ? link : FolderOf(path) + "/" + link;
    }
    throw TAtomicFileError(ELOOP, path);
}

// An existing target must be a regular file that may be written. A file with
// no write bit at all is read-only for everyone, root included.
void CheckTarget(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return;
        throw TAtomicFileError(errno, path);
    }
    if (S_ISDIR(st.st_mode))
        throw TAtomicFileError(EISDIR, path);
    if (!S_ISREG(st.st_mode))
        throw TAtomicFileError(EINVAL, path);
    if ((st.st_mode & 0222) == 0)
        throw TAtomicFileError(EACCES, path);
    if (access(path.c_str(), W_OK) != 0)
        throw TAtomicFileError(errno, path);
}

mode_t CurrentUmask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

void SyncFolders(const std::set<std::string>& folders) {
    for (const std::string& folder : folders) {
        int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        fsync(fd);  // the renames are done; a folder that cannot be synced is no failure
        close(fd);
    }
}

}  // namespace

TAtomicFile::TAtomicFile(const std::string& path) : target_(ResolveLinks(path)) {
    CheckTarget(target_);
    std::string pattern = FolderOf(target_) + "/.kadrimark-XXXXXX.tmp";
    fd_ = mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd_ < 0)
        throw TAtomicFileError(errno, target_);
    temp_ = pattern;
}

TAtomicFile::~TAtomicFile() {
    Discard();
}

void TAtomicFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd_, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw TAtomicFileError(written < 0 ? errno : EIO, target_);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void TAtomicFile::Commit() {
    try {
        CopyAttributes();
        if (TAtomicFileGroup* group = TAtomicFileGroup::Current()) {
            group->Queue(*this);
            return;
        }
        if (int error = PutInPlace())
            throw TAtomicFileError(error, target_);
    } catch (...) {
        Discard();
        throw;
    }
    SyncFolders({FolderOf(target_)});
}

// Extended attributes (desktop tags, access control lists, ...) go with the
// content. One the process may not set (another's security label, a file
// system without them) is left behind rather than failing the rewrite.
void CopyExtendedAttributes(const std::string& from, int toFd) {
    std::vector<char> names(4096);
    ssize_t length;
    while ((length = listxattr(from.c_str(), names.data(), names.size())) < 0 && errno == ERANGE)
        names.resize(names.size() * 2);
    std::vector<char> value;
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
        const char* name = &names[at];
        ssize_t size = getxattr(from.c_str(), name, nullptr, 0);
        if (size < 0)
            continue;
        value.resize(static_cast<std::size_t>(size));
        size = getxattr(from.c_str(), name, value.data(), value.size());
        if (size >= 0)
            (void)!fsetxattr(toFd, name, value.data(), static_cast<std::size_t>(size), 0);
    }
}

// Owner and group first (changing them may clear set-id bits), then the mode,
// then the times, which must come after the last write.
void TAtomicFile::CopyAttributes() {
    struct stat st {};
    if (stat(target_.c_str(), &st) != 0) {
        if (fchmod(fd_, 0666 & ~CurrentUmask()) != 0)
            throw TAtomicFileError(errno, target_);
        return;
    }
    if (fchown(fd_, st.st_uid, st.st_gid) != 0)
        (void)!fchown(fd_, static_cast<uid_t>(-1), st.st_gid);  // not allowed: keep ours
    if (fchmod(fd_, st.st_mode & 07777) != 0)
        throw TAtomicFileError(errno, target_);
    CopyExtendedAttributes(target_, fd_);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(fd_, times) != 0)
        throw TAtomicFileError(errno, target_);
}

int TAtomicFile::PutInPlace() noexcept {
    if (fdatasync(fd_) != 0 || close(std::exchange(fd_, -1)) != 0 ||
        rename(temp_.c_str(), target_.c_str()) != 0)
        return errno;
    temp_.clear();
    return 0;
}

void TAtomicFile::Discard() noexcept {
    if (fd_ >= 0)
        close(std::exchange(fd_, -1));
    if (!temp_.empty())
        unlink(std::exchange(temp_, std::string()).c_str());
}

TAtomicFileGroup::TAtomicFileGroup() : outer_(currentGroup) {
    currentGroup = this;
}

TAtomicFileGroup::~TAtomicFileGroup() {
    currentGroup = outer_;
    try {
        Flush();
    } catch (const TAtomicFileError&) {
        // Each failed file kept its original; there is no one left to tell.
    }
    StopHelpers();
}

TAtomicFileGroup* TAtomicFileGroup::Current() {
    return currentGroup;
}

bool TAtomicFileGroup::Holds(const std::string& path) const {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && targets_.contains({st.st_dev, st.st_ino});
}

void TAtomicFileGroup::Queue(TAtomicFile& file) {
    // Before and after its rename, the target's path names one of these two.
    struct stat st {};
    if (fstat(file.fd_, &st) == 0) {
        pendingBytes_ += st.st_size;
        targets_.insert({st.st_dev, st.st_ino});
    }
    if (stat(file.target_.c_str(), &st) == 0)
        targets_.insert({st.st_dev, st.st_ino});
    auto held = std::unique_ptr<TAtomicFile>(new TAtomicFile());
    held->target_ = std::move(file.target_);
    held->temp_ = std::exchange(file.temp_, std::string());
    held->fd_ = std::exchange(file.fd_, -1);
    std::lock_guard lock(mutex_);
    handed_.push_back({std::move(held)});
    todo_.push_back(&handed_.back());
    if (helpers_.size() < std::min(handed_.size(), kHelpers))
        helpers_.emplace_back([this] { Help(); });
    work_.notify_one();
}

// A helper's loop: puts handed files in place until the group closes.
void TAtomicFileGroup::Help() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || !todo_.empty(); });
        if (todo_.empty())
            return;
        Handed* handed = todo_.front();
        todo_.pop_front();
        lock.unlock();
        int error = handed->file->PutInPlace();
        if (error != 0)
            handed->file->Discard();
        lock.lock();
        handed->error = error;
        ++finishedCount_;
        finished_.notify_all();
    }
}

void TAtomicFileGroup::StopHelpers() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void TAtomicFileGroup::Flush() {
    std::deque<Handed> done;
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return finishedCount_ == handed_.size(); });
        done.swap(handed_);
        finishedCount_ = 0;
    }
    pendingBytes_ = 0;
    targets_.clear();
    std::set<std::string> folders;
    for (const Handed& handed : done) {
        if (handed.error == 0)
            folders.insert(FolderOf(handed.file->target_));
    }
    SyncFolders(folders);
    for (const Handed& handed : done) {
        if (handed.error != 0)
            throw TAtomicFileError(handed.error, handed.file->target_);
    }
}
