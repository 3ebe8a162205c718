#include "framework/TempFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

constexpr std::string_view kPrefix = ".kadrimark-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::string_view kCopySuffix = ".orig";
constexpr std::size_t kRandomLength = 6;
constexpr std::size_t kCopyBlock = 1 << 20;

std::string RandomPart() {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kRandomLength];
    while (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    }
    std::string part;
    for (unsigned char byte : bytes)
        part += kAlphabet[byte % (sizeof kAlphabet - 1)];
    return part;
}

std::string NewTempName() {
    return std::string(kPrefix) + RandomPart() + std::string(kTempSuffix);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the lock, then makes sure the name still names the file locked: a
// tidying run may have removed it between the creation and the lock.
int LockAsCreated(int folder, const TTempFile& temp) {
    struct stat ours {};
    if (flock(temp.handle.Get(), LOCK_EX) != 0 || fstat(temp.handle.Get(), &ours) != 0)
        return errno;
    return NamesFile(folder, temp.name, ours) ? 0 : EAGAIN;
}

// What the name of an original copy tells: its file's inode and the name of
// the temporary file holding the new content. Inode 0 for any other name.
struct TCopyName {
    ino_t inode = 0;
    std::string newName;
};

TCopyName ParseCopyName(std::string_view name) {
    const std::size_t newStart = kPrefix.size() + kRandomLength + 1;
    const std::size_t inodeStart = newStart + kRandomLength + 1;
    if (!name.starts_with(kPrefix) || !name.ends_with(kCopySuffix) ||
        name.size() <= inodeStart + kCopySuffix.size() || name[newStart - 1] != '.' ||
        name[inodeStart - 1] != '.')
        return {};
    std::string_view digits =
        name.substr(inodeStart, name.size() - inodeStart - kCopySuffix.size());
    ino_t inode = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), inode);
    if (error != std::errc() || end != digits.data() + digits.size())
        return {};
    return {inode, std::string(kPrefix) + std::string(name.substr(newStart, kRandomLength)) +
                       std::string(kTempSuffix)};
}

bool IsCopyName(std::string_view name) {
    return name.starts_with(kPrefix) && name.ends_with(kCopySuffix);
}

bool IsTempName(std::string_view name) {
    return name.starts_with(kPrefix) && name.ends_with(kTempSuffix) &&
           name.size() == kPrefix.size() + kRandomLength + kTempSuffix.size();
}

// The names in the folder that start as ours do, or (given an inode) the other
// names of that inode.
std::vector<std::string> NamesIn(int folder, ino_t inode = 0) {
    std::vector<std::string> names;
    int fd = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            close(fd);
        return names;
    }
    rewinddir(dir);
    while (dirent* entry = readdir(dir)) {
        if (std::string_view(entry->d_name).starts_with(kPrefix) != (inode != 0) &&
            (inode == 0 || entry->d_ino == inode))
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

// The name of the file in the folder that has the inode (not one of ours), or "".
std::string NameOfInode(int folder, ino_t inode) {
    if (inode == 0)
        return "";
    std::vector<std::string> names = NamesIn(folder, inode);
    return names.empty() ? "" : names.front();
}

// Opens one of our files that no live process holds (its lock is taken:
// exclusive to work on it, shared only to look).
TFileHandle OpenLeftOver(int folder, const std::string& name, struct stat& st, int lock = LOCK_EX) {
    TFileHandle file(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.Valid() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        flock(file.Get(), lock | LOCK_NB) != 0)
        return TFileHandle();
    return file;
}

// An original copy as a tidy leaves it: shown as `shown`, with the name of
// its file in `folder`.
TLeftCopy LeftCopy(std::string shown, const std::string& copyName, int folder) {
    const ino_t inode = ParseCopyName(copyName).inode;
    return {std::move(shown), inode, NameOfInode(folder, inode)};
}

// Reads exactly `size` bytes at `at`; false on a failure or a short file.
bool ReadAt(int fd, char* buffer, std::size_t size, off_t at) {
    while (size > 0) {
        ssize_t got = pread(fd, buffer, size, at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
        at += got;
    }
    return true;
}

// How many leading bytes of [from, to) the two files share; -1 on a failure.
off_t SharedBytes(int a, int b, off_t from, off_t to) {
    std::vector<char> x(kCopyBlock), y(kCopyBlock);
    for (off_t at = from; at < to;) {
        std::size_t size = static_cast<std::size_t>(std::min<off_t>(to - at, kCopyBlock));
        if (!ReadAt(a, x.data(), size, at) || !ReadAt(b, y.data(), size, at))
            return -1;
        for (std::size_t i = 0; i < size; ++i) {
            if (x[i] != y[i])
                return at + static_cast<off_t>(i);
        }
        at += static_cast<off_t>(size);
    }
    return to;
}

// Whether the file holds what an overwrite from `original` to `next` that
// stopped anywhere leaves: the new bytes up to some point, then the original
// ones (the file grows as the new bytes pass the original's end; a finished
// overwrite is cut to the new length).
bool LeftByOverwrite(int file, off_t size, int original, off_t originalSize, int next,
                     off_t nextSize) {
    off_t shared = SharedBytes(file, next, 0, std::min(size, nextSize));
    if (shared < 0)
        return false;
    if (shared == size && (size == nextSize || (size > originalSize && size < nextSize)))
        return true;
    return size == originalSize && SharedBytes(file, original, shared, size) == size;
}

// Whoever made the copy could have written the file anyway: a copy planted by
// anyone else could carry content of their choosing.
bool MadeByAWriter(const struct stat& copy, const struct stat& file) {
    if (copy.st_nlink != 1)
        return false;
    return copy.st_uid == geteuid() || copy.st_uid == 0 || copy.st_uid == file.st_uid ||
           (file.st_mode & S_IWOTH) != 0 ||
           (copy.st_gid == file.st_gid && (file.st_mode & S_IWGRP) != 0);
}

// Writes the copy back over its file in `folder` when the file is still the
// one the dead run was overwriting, and removes it, its record and the new
// content (both in `copies`). False when all stay.
bool PutCopyBack(int folder, int copies, const std::string& copyName, int copy,
                 const struct stat& copySt) {
    const TCopyName parsed = ParseCopyName(copyName);
    std::string target = NameOfInode(folder, parsed.inode);
    struct stat nextSt {
    }, st{}, folderSt{};
    TFileHandle next =
        target.empty() ? TFileHandle() : OpenLeftOver(copies, parsed.newName, nextSt);
    if (!next.Valid() || nextSt.st_uid != copySt.st_uid || nextSt.st_nlink != 1 ||
        fstat(folder, &folderSt) != 0)
        return false;
    TFileHandle file(
        openat(folder, target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.Valid() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_ino != parsed.inode || st.st_dev != folderSt.st_dev || !MadeByAWriter(copySt, st) ||
        !LeftByOverwrite(file.Get(), st.st_size, copy, copySt.st_size, next.Get(), nextSt.st_size))
        return false;
    if (CopyContent(copy, file.Get()) != 0 || fsync(file.Get()) != 0)
        return false;
    unlinkat(copies, CopyRecordName(copyName).c_str(), 0);
    unlinkat(copies, copyName.c_str(), 0);
    unlinkat(copies, parsed.newName.c_str(), 0);
    return true;
}

// Removes the dead runs' temporary files, but not the new content of the
// copies that stay.
void RemoveDeadTempFiles(int folder, const std::vector<std::string>& names,
                         const std::set<std::string>& kept) {
    for (const std::string& name : names) {
        struct stat st {};
        if (IsTempName(name) && !kept.contains(name) && OpenLeftOver(folder, name, st).Valid())
            unlinkat(folder, name.c_str(), 0);
    }
}

constexpr std::string_view kRecordSuffix = ".where";

// The folder a cached copy's record names; false when there is no record.
struct TRecordedFolder {
    unsigned long long device = 0, inode = 0;
};

bool ReadCopyRecord(int cache, const std::string& copyName, TRecordedFolder& folder);

bool IsFolder(const TRecordedFolder& recorded, const struct stat& folder) {
    return recorded.device == folder.st_dev && recorded.inode == folder.st_ino;
}

// Whether the cached copy's record names the folder.
bool RecordedFor(int cache, const std::string& copyName, const struct stat& folder) {
    TRecordedFolder recorded;
    return ReadCopyRecord(cache, copyName, recorded) && IsFolder(recorded, folder);
}

bool ReadCopyRecord(int cache, const std::string& copyName, TRecordedFolder& folder) {
    char text[PATH_MAX + 64];
    ssize_t length = readlinkat(cache, CopyRecordName(copyName).c_str(), text, sizeof text - 1);
    if (length <= 0)
        return false;
    const char* end = text + length;
    auto [afterDevice, deviceError] = std::from_chars(text, end, folder.device);
    if (deviceError != std::errc() || afterDevice == end || *afterDevice != ':')
        return false;
    auto [afterInode, inodeError] = std::from_chars(afterDevice + 1, end, folder.inode);
    return inodeError == std::errc() && afterInode != end && *afterInode == ':';
}

bool Exists(int folder, const std::string& name) {
    struct stat st {};
    return fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The user the process makes files as (its file-system user id).
uid_t FileSystemUser() {
    return static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1)));  // an invalid id only asks
}

std::string CacheHome() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/')
        return cache;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = getpwuid(geteuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::string(home) + "/.cache";
}

// Makes the folders of the path that are missing, each closed to others.
// Returns 0 or the first failure's errno value.
int MakeFolders(const std::string& path) {
    int error = 0;
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST && error == 0)
            error = errno;
        if (slash == std::string::npos)
            return error;
    }
}

}  // namespace

bool NamesFile(int folder, const std::string& name, const struct stat& file) {
    struct stat named {};
    return !name.empty() && fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           SameFile(named, file);
}

int CreateTempFile(int folder, TTempFile& temp) {
    for (;;) {
        temp.name = NewTempName();
        temp.handle = TFileHandle(openat(folder, temp.name.c_str(),
                                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!temp.handle.Valid() && errno == EEXIST)
            continue;
        if (!temp.handle.Valid())
            return errno;
        int error = LockAsCreated(folder, temp);
        if (error == 0)
            return 0;
        temp.handle.Close();
        if (error != EAGAIN)
            return error;
    }
}

std::string OriginalCopyName(const std::string& tempName, const std::string& newName, ino_t inode) {
    return tempName.substr(0, tempName.size() - kTempSuffix.size()) + "." +
           newName.substr(kPrefix.size(), kRandomLength) + "." + std::to_string(inode) +
           std::string(kCopySuffix);
}

int CopyContent(int from, int to) {
    std::vector<char> block(kCopyBlock);
    off_t at = 0;
    for (;;) {
        ssize_t got = pread(from, block.data(), block.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put =
                pwrite(to, block.data() + done, static_cast<std::size_t>(got - done), at + done);
            if (put < 0 && errno != EINTR)
                return errno;
            done += put > 0 ? put : 0;
        }
        at += got;
    }
    return ftruncate(to, at) == 0 ? 0 : errno;
}

std::vector<TLeftCopy> TidyTempFiles(int folder) {
    std::vector<TLeftCopy> left;
    std::set<std::string> kept;  // the new content of copies that stay
    std::vector<std::string> names = NamesIn(folder);
    for (const std::string& name : names) {
        struct stat st {};
        TFileHandle copy = IsCopyName(name) ? OpenLeftOver(folder, name, st) : TFileHandle();
        if (!copy.Valid() || PutCopyBack(folder, folder, name, copy.Get(), st))
            continue;
        kept.insert(ParseCopyName(name).newName);
        left.push_back(LeftCopy(name, name, folder));
    }
    RemoveDeadTempFiles(folder, names, kept);
    return left;
}

int OpenOriginalsCache(bool create, TFileHandle& cache, std::string& path) {
    path = CacheHome() + "/kadrimarkexif/originals";
    const int madeError = create ? MakeFolders(path) : 0;
    cache = TFileHandle(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!cache.Valid() || fstat(cache.Get(), &st) != 0)
        return madeError != 0 ? madeError : errno;
    if (st.st_uid != FileSystemUser()) {
        cache.Close();
        return EPERM;
    }
    if ((st.st_mode & 077) != 0 && fchmod(cache.Get(), 0700) != 0)
        return errno;
    return 0;
}

std::string CopyRecordName(const std::string& copyName) {
    return copyName + std::string(kRecordSuffix);
}

int RecordCachedCopy(int cache, const std::string& copyName, int folder, const std::string& path) {
    struct stat st {};
    if (fstat(folder, &st) != 0)
        return errno;
    const std::string text =
        std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + path;
    return symlinkat(text.c_str(), cache, CopyRecordName(copyName).c_str()) == 0 ? 0 : errno;
}

std::vector<TLeftCopy> TidyCachedOriginals(int folder) {
    TFileHandle cache;
    std::string path;
    struct stat folderSt {};
    if (OpenOriginalsCache(false, cache, path) != 0 || fstat(folder, &folderSt) != 0)
        return {};
    std::vector<TLeftCopy> left;
    std::set<std::string> kept;
    std::vector<std::string> names = NamesIn(cache.Get());
    for (const std::string& name : names) {
        if (!IsCopyName(name))
            continue;
        const TCopyName parsed = ParseCopyName(name);
        TRecordedFolder recorded;
        const bool hasRecord = ReadCopyRecord(cache.Get(), name, recorded);
        const bool forThisFolder = hasRecord && IsFolder(recorded, folderSt);
        struct stat st {};
        TFileHandle copy =
            !hasRecord || forThisFolder ? OpenLeftOver(cache.Get(), name, st) : TFileHandle();
        if (!copy.Valid()) {
            kept.insert(parsed.newName);  // a live run's, or another folder's
            continue;
        }
        if (!hasRecord) {
            // The run died before its record was on disk, so before it touched the file.
            unlinkat(cache.Get(), name.c_str(), 0);
            continue;
        }
        if (st.st_uid == FileSystemUser() && PutCopyBack(folder, cache.Get(), name, copy.Get(), st))
            continue;
        kept.insert(parsed.newName);
        left.push_back(LeftCopy(path + "/" + name, name, folder));
    }
    for (const std::string& name : names) {
        if (name.ends_with(kRecordSuffix) &&
            !Exists(cache.Get(), name.substr(0, name.size() - kRecordSuffix.size())))
            unlinkat(cache.Get(), name.c_str(), 0);  // its copy went: the file was done
    }
    RemoveDeadTempFiles(cache.Get(), names, kept);
    return left;
}

std::vector<TLeftCopy> ListLeftCopies(int folder) {
    std::vector<TLeftCopy> left;
    struct stat st {};
    for (const std::string& name : NamesIn(folder)) {
        if (IsCopyName(name) && OpenLeftOver(folder, name, st, LOCK_SH).Valid())
            left.push_back(LeftCopy(name, name, folder));
    }
    TFileHandle cache;
    std::string path;
    struct stat folderSt {};
    if (OpenOriginalsCache(false, cache, path) != 0 || fstat(folder, &folderSt) != 0)
        return left;
    for (const std::string& name : NamesIn(cache.Get())) {
        if (IsCopyName(name) && RecordedFor(cache.Get(), name, folderSt) &&
            OpenLeftOver(cache.Get(), name, st, LOCK_SH).Valid())
            left.push_back(LeftCopy(path + "/" + name, name, folder));
    }
    return left;
}
