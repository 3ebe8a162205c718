#include "platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "framework/FileHandle.h"
#include "platform/FileOperations.h"
#include "platform/Places.h"
#include "platform/ShellItems.h"
#include "platform/UriList.h"

namespace {

constexpr std::size_t kMaxTrashNameBytes = 200;  // leaves room for " (n)" and ".trashinfo"
constexpr int kMaxNumber = 10000;

HRESULT LastError() {
    return HResultFromErrno(errno);
}

// The item's name cut to a length the info file's name can carry, at a
// character boundary.
std::string TrashNameBase(const std::string& name) {
    if (name.size() <= kMaxTrashNameBytes)
        return name;
    std::size_t cut = kMaxTrashNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

bool WriteAll(int fd, const std::string& text) {
    return write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
           fsync(fd) == 0;
}

// A folder's real path (links and "." or ".." resolved); empty when it
// cannot be had.
std::string RealFolder(const std::string& folder) {
    char real[PATH_MAX];
    return realpath(folder.c_str(), real) != nullptr ? std::string(real) : std::string();
}

// Where the item at `path` really lies: its folder resolved, its own name
// kept (the item itself may be a link). Empty when the folder is gone.
std::string RealLocation(const std::string& path) {
    const std::string name = ItemNameOf(path);
    if (name.empty() || name == "." || name == "..")
        return RealFolder(path);
    const std::string folder = RealFolder(path.substr(0, path.size() - name.size()));
    return folder.empty() ? folder : (folder == "/" ? "" : folder) + "/" + name;
}

bool IsWithin(const std::string& path, const std::string& folder) {
    return path == folder || path.starts_with(folder + "/");
}

// The folder of the mount that holds `path`'s parent, found by walking up
// until the device changes.
std::string MountTopOf(const std::string& folder) {
    std::string top = folder;
    struct stat facts;
    if (stat(top.c_str(), &facts) != 0)
        return {};
    while (top != "/") {
        std::string parent = top.substr(0, top.rfind('/'));
        if (parent.empty())
            parent = "/";
        struct stat parentFacts;
        if (stat(parent.c_str(), &parentFacts) != 0 || parentFacts.st_dev != facts.st_dev)
            break;
        top = parent;
    }
    return top;
}

// A trash on a shared mount must be the user's own folder, not a link
// someone else planted there.
bool IsOwnFolder(const std::string& path) {
    struct stat facts;
    if (lstat(path.c_str(), &facts) != 0)
        return false;
    if (S_ISDIR(facts.st_mode) && facts.st_uid == getuid())
        return true;
    errno = EPERM;
    return false;
}

// One trash folder, open for the move.
class TTrashFolder {
  public:
    explicit TTrashFolder(const std::string& root) {
        if (!MakeFolders(root + "/files") || !MakeFolders(root + "/info") || !IsOwnFolder(root))
            return;
        files_ = TFileHandle(
            open((root + "/files").c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        info_ = TFileHandle(
            open((root + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    bool Valid() const { return files_.Valid() && info_.Valid(); }

    // Claims a name, writes the info file and moves the item in.
    HRESULT Take(const std::string& path, const std::string& recordedPath);

  private:
    TFileHandle files_, info_;
};

HRESULT TTrashFolder::Take(const std::string& path, const std::string& recordedPath) {
    std::string base = TrashNameBase(ItemNameOf(path));
    std::string text = TrashInfoText(recordedPath, std::time(nullptr));
    for (int n = 1; n <= kMaxNumber; ++n) {
        std::string name = n == 1 ? base : NumberedName(base, n, false);
        std::string info = name + ".trashinfo";
        TFileHandle record(openat(info_.Get(), info.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!record.Valid() && errno == EEXIST)
            continue;
        if (!record.Valid())
            return LastError();
        int error = 0;
        if (!WriteAll(record.Get(), text))
            error = errno;
        else if (renameat2(AT_FDCWD, path.c_str(), files_.Get(), name.c_str(), RENAME_NOREPLACE) ==
                 0)
            return S_OK;
        else
            error = errno;
        unlinkat(info_.Get(), info.c_str(), 0);
        if (error != EEXIST)
            return HResultFromErrno(error);
    }
    return HResultFromErrno(EEXIST);
}

// The original path an info file's text records; empty when it records
// none that is absolute.
std::string RecordedPath(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        if (line.starts_with("Path=")) {
            const std::vector<std::string> paths =
                ReadUriList("file://" + std::string(line.substr(5)));
            return paths.size() == 1 ? paths.front() : std::string();
        }
        start = end + 1;
    }
    return {};
}

// An info file's text, read through one descriptor; false when it cannot be.
bool ReadRecord(const std::string& path, std::string& text) {
    TFileHandle record(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!record.Valid())
        return false;
    char buffer[4096];
    for (ssize_t got; (got = read(record.Get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 || text.size() > 16 * sizeof buffer)
            return false;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace

HRESULT RestoreFromTrash(const std::string& path, std::string& original) {
    original.clear();
    const std::string name = ItemNameOf(path);
    const std::string trash = DataHomePath() + "/Trash";
    if (name.empty() || path != trash + "/files/" + name)
        return E_INVALIDARG;
    const std::string info = trash + "/info/" + name + ".trashinfo";
    std::string text;
    if (!ReadRecord(info, text))
        return LastError();
    original = RecordedPath(text);
    const std::string originalName = ItemNameOf(original);
    if (originalName.empty())
        return HResultFromErrno(EINVAL);
    const std::string folder = original.substr(0, original.size() - originalName.size() - 1);
    if (!folder.empty() && !MakeFolders(folder))
        return LastError();
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, original.c_str(), RENAME_NOREPLACE) != 0)
        return LastError();
    unlink(info.c_str());
    return S_OK;
}

std::string TrashInfoText(const std::string& path, long long when) {
    std::time_t seconds = static_cast<std::time_t>(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::string escaped = FileUri(path).substr(7);  // drop "file://"
    return "[Trash Info]\nPath=" + escaped + "\nDeletionDate=" + date + "\n";
}

bool IsTrashOrHoldsIt(const std::string& path) {
    const std::string item = RealLocation(path);
    if (item.empty())
        return false;
    std::string trash = RealFolder(DataHomePath() + "/Trash");
    if (trash.empty())
        trash = DataHomePath() + "/Trash";
    if (IsWithin(item, trash) || IsWithin(trash, item))
        return true;
    // A mount's own trash, anywhere on the path.
    const std::string ownMountTrash = "/.Trash-" + std::to_string(getuid());
    return item.find(ownMountTrash + "/") != std::string::npos || item.ends_with(ownMountTrash) ||
           item.find("/.Trash/") != std::string::npos || item.ends_with("/.Trash");
}

HRESULT MoveToTrash(const std::string& path) {
    std::string name = ItemNameOf(path);
    if (name.empty() || IsTrashOrHoldsIt(path))
        return E_INVALIDARG;
    TTrashFolder home(DataHomePath() + "/Trash");
    if (!home.Valid())
        return LastError();
    HRESULT hr = home.Take(path, path);
    if (hr != HResultFromErrno(EXDEV))
        return hr;
    std::string folder = path.substr(0, path.size() - name.size() - 1);
    std::string top = MountTopOf(folder.empty() ? "/" : folder);
    if (top.empty() || top == "/")
        return hr;
    TTrashFolder mountTrash(top + "/.Trash-" + std::to_string(getuid()));
    if (!mountTrash.Valid())
        return LastError();
    return mountTrash.Take(path, path.substr(top.size() + 1));
}

HRESULT TrashItem(const std::string& path, TOperationProgress& progress) {
    progress.SetCurrent(ItemNameOf(path));
    const HRESULT hr = MoveToTrash(path);
    if (SUCCEEDED(hr))
        progress.AddFile();
    return hr;
}
