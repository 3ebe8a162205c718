#include "framework/TempFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
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

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the lock, then makes sure the name still names the file locked: a
// tidying run may have removed it between the creation and the lock.
int LockAsCreated(int folder, const TTempFile& temp) {
    struct stat ours {
    }, named{};
    if (flock(temp.handle.Get(), LOCK_EX) != 0 || fstat(temp.handle.Get(), &ours) != 0)
        return errno;
    if (fstatat(folder, temp.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(ours, named))
        return EAGAIN;
    return 0;
}

// The inode number in the name of an original copy; 0 for any other name.
ino_t CopiedInode(std::string_view name) {
    std::size_t start = kPrefix.size() + kRandomLength + 1;
    if (!name.starts_with(kPrefix) || !name.ends_with(kCopySuffix) || name.size() <= start)
        return 0;
    std::string_view digits = name.substr(start, name.size() - start - kCopySuffix.size());
    ino_t inode = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), inode);
    return error == std::errc() && end == digits.data() + digits.size() ? inode : 0;
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
    std::vector<std::string> names = NamesIn(folder, inode);
    return names.empty() ? "" : names.front();
}

// Only a copy that this user made is written back: anyone else who may write
// in the folder could plant one with content of their choosing.
bool IsOwnCopy(const struct stat& copy) {
    return copy.st_uid == geteuid() && copy.st_nlink == 1;
}

// Writes the copy back over its file and removes it.
void PutCopyBack(int folder, const std::string& copyName, int copy, ino_t inode) {
    std::string target = NameOfInode(folder, inode);
    if (target.empty())
        return;
    TFileHandle file(
        openat(folder, target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!file.Valid() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_ino != inode)
        return;
    if (CopyContent(copy, file.Get()) == 0 && fsync(file.Get()) == 0)
        unlinkat(folder, copyName.c_str(), 0);
}

}  // namespace

int CreateTempFile(int folder, TTempFile& temp) {
    for (;;) {
        temp.name = std::string(kPrefix) + RandomPart() + std::string(kTempSuffix);
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

std::string OriginalCopyName(const std::string& tempName, ino_t inode) {
    return tempName.substr(0, tempName.size() - kTempSuffix.size()) + "." + std::to_string(inode) +
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

void TidyTempFiles(int folder) {
    for (const std::string& name : NamesIn(folder)) {
        ino_t inode = CopiedInode(name);
        if (inode == 0 && !IsTempName(name))
            continue;
        TFileHandle file(
            openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!file.Valid() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (inode == 0)
            unlinkat(folder, name.c_str(), 0);
        else if (IsOwnCopy(st))
            PutCopyBack(folder, name, file.Get(), inode);
    }
}
