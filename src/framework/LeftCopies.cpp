#include "framework/LeftCopies.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <functional>
#include <string>
#include <string_view>

namespace {

// The names TempFiles.h describes: .kadrimark-XXXXXX.YYYYYY.INODE.orig
constexpr std::string_view kPrefix = ".kadrimark-";
constexpr std::string_view kCopySuffix = ".orig";
constexpr std::size_t kRandomLength = 6;

bool IsCopyName(std::string_view name) {
    return name.starts_with(kPrefix) && name.ends_with(kCopySuffix);
}

// The inode of the file an original copy was made for; 0 when the name does
// not carry one.
ino_t InodeOfCopy(std::string_view name) {
    const std::size_t inodeStart = kPrefix.size() + 2 * (kRandomLength + 1);
    if (name.size() <= inodeStart + kCopySuffix.size() || name[inodeStart - 1] != '.' ||
        name[inodeStart - kRandomLength - 2] != '.')
        return 0;
    const std::string_view digits =
        name.substr(inodeStart, name.size() - inodeStart - kCopySuffix.size());
    ino_t inode = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), inode);
    return error == std::errc() && end == digits.data() + digits.size() ? inode : 0;
}

// The names in the folder that `wanted` picks by name and inode.
std::vector<std::string> NamesIn(int folder,
                                 const std::function<bool(std::string_view, ino_t)>& wanted) {
    std::vector<std::string> names;
    int fd = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            close(fd);
        return names;
    }
    rewinddir(dir);
    while (const dirent* entry = readdir(dir)) {
        if (wanted(entry->d_name, entry->d_ino))
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

std::vector<std::string> CopiesIn(int folder) {
    return NamesIn(folder, [](std::string_view name, ino_t) { return IsCopyName(name); });
}

// A regular file that no live process holds: its writer's lock went with it.
bool LeftByTheDead(int folder, const std::string& name) {
    TFileHandle file(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    return file.Valid() && fstat(file.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
           flock(file.Get(), LOCK_SH | LOCK_NB) == 0;
}

// The copy `copyName`, shown as `shown`, with the first name in the folder
// of the file it was made for, as a tidy finds it.
TLeftCopy Named(std::string shown, const std::string& copyName, int folder) {
    const ino_t inode = InodeOfCopy(copyName);
    const std::vector<std::string> files = NamesIn(folder, [&](std::string_view name, ino_t at) {
        return inode != 0 && at == inode && !name.starts_with(kPrefix);
    });
    return {std::move(shown), inode, files.empty() ? "" : files.front()};
}

// Whether the cached copy's record names the folder: its text starts with
// the folder's device and inode.
bool RecordedFor(int cache, const std::string& copyName, const struct stat& folder) {
    char text[PATH_MAX + 64];
    const ssize_t length =
        readlinkat(cache, CopyRecordName(copyName).c_str(), text, sizeof text - 1);
    if (length <= 0)
        return false;
    const std::string_view record(text, static_cast<std::size_t>(length));
    const std::string owner =
        std::to_string(folder.st_dev) + ":" + std::to_string(folder.st_ino) + ":";
    return record.starts_with(owner);
}

}  // namespace

std::vector<TLeftCopy> ListLeftCopies(int folder) {
    std::vector<TLeftCopy> left;
    for (const std::string& name : CopiesIn(folder)) {
        if (LeftByTheDead(folder, name))
            left.push_back(Named(name, name, folder));
    }
    TFileHandle cache;
    std::string cachePath;
    struct stat folderSt {};
    if (OpenOriginalsCache(false, cache, cachePath) != 0 || fstat(folder, &folderSt) != 0)
        return left;
    for (const std::string& name : CopiesIn(cache.Get())) {
        if (RecordedFor(cache.Get(), name, folderSt) && LeftByTheDead(cache.Get(), name))
            left.push_back(Named(cachePath + "/" + name, name, folder));
    }
    return left;
}
