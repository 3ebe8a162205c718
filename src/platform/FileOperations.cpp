#include "platform/FileOperations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "framework/FileHandle.h"
#include "framework/ProgramLanguage.h"
#include "platform/ShellItems.h"

namespace {

// Deep enough for any real tree, shallow enough for the descriptors and the
// stack (two descriptors per level).
constexpr int kMaxDepth = 200;
constexpr int kMaxNumberedName = 10000;

HRESULT LastError() {
    return HResultFromErrno(errno);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A descriptor for an entry itself (a link is not followed), and its facts.
struct TOpenedItem {
    TFileHandle Fd;
    struct stat Facts {};
};

HRESULT OpenItemAt(int folder, const char* name, TOpenedItem& item) {
    item.Fd = TFileHandle(openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!item.Fd.Valid() || fstat(item.Fd.Get(), &item.Facts) != 0)
        return LastError();
    return S_OK;
}

// Opens a regular file or folder held by an O_PATH descriptor for reading,
// through the descriptor itself (the name is not looked up again).
TFileHandle ReopenForReading(const TOpenedItem& item) {
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", item.Fd.Get());
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (S_ISDIR(item.Facts.st_mode) ? O_DIRECTORY : 0);
    return TFileHandle(open(self, flags));
}

// A hidden name of our own for a copy being built.
std::string TemporaryName() {
    unsigned char random[6] = {};
    if (getrandom(random, sizeof random, 0) != sizeof random)
        random[0] = static_cast<unsigned char>(getpid());
    char name[48];
    std::snprintf(name, sizeof name, ".kadrimark-copy-%02x%02x%02x%02x%02x%02x.part", random[0],
                  random[1], random[2], random[3], random[4], random[5]);
    return name;
}

// Calls visit(name) for each entry of the open folder but "." and "..",
// up to the first failure, which it returns, or until cancelled (E_ABORT).
template <class Visit>
HRESULT ForEachChild(int folder, const TOperationProgress& progress, Visit visit) {
    DIR* listing = fdopendir(dup(folder));
    if (listing == nullptr)
        return LastError();
    HRESULT hr = S_OK;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (progress.Cancelled())
            hr = E_ABORT;
        if (FAILED(hr) || FAILED(hr = visit(name)))
            break;
    }
    closedir(listing);
    return hr;
}

HRESULT RemoveAt(int folder, const std::string& name, int depth, TOperationProgress& progress) {
    if (unlinkat(folder, name.c_str(), 0) == 0) {
        progress.AddFile();
        return S_OK;
    }
    if (errno != EISDIR)
        return LastError();
    if (depth > kMaxDepth)
        return HResultFromErrno(ELOOP);
    TFileHandle child(
        openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!child.Valid())
        return LastError();
    HRESULT hr = ForEachChild(child.Get(), progress, [&](const std::string& name) {
        return RemoveAt(child.Get(), name, depth + 1, progress);
    });
    if (FAILED(hr))
        return hr;
    return unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 ? S_OK : LastError();
}

// Blocks small enough to stop within a moment when cancelled.
constexpr std::size_t kCopyBlock = 4 << 20;

HRESULT CopyData(int from, int to, TOperationProgress& progress) {
    for (;;) {
        if (progress.Cancelled())
            return E_ABORT;
        ssize_t copied = copy_file_range(from, nullptr, to, nullptr, kCopyBlock, 0);
        if (copied == 0)
            return S_OK;
        if (copied > 0) {
            progress.AddBytes(static_cast<std::uint64_t>(copied));
            continue;
        }
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return LastError();
        break;
    }
    char buffer[1 << 16];
    for (;;) {
        if (progress.Cancelled())
            return E_ABORT;
        ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0)
            return S_OK;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return LastError();
        for (ssize_t written = 0; written < got;) {
            ssize_t now = write(to, buffer + written, static_cast<std::size_t>(got - written));
            if (now < 0 && errno != EINTR)
                return LastError();
            written += now > 0 ? now : 0;
        }
        progress.AddBytes(static_cast<std::uint64_t>(got));
    }
}

// Permission bits and times of the source (never set-user-id and the like:
// a copy does not hand out another owner's rights), then the data on disk.
HRESULT FinishCopy(int made, const struct stat& source) {
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (fchmod(made, source.st_mode & 0777) != 0 || futimens(made, times) != 0 || fsync(made) != 0)
        return LastError();
    return S_OK;
}

HRESULT CopyTree(const TOpenedItem& source, int folder, const std::string& name, int depth,
                 TOperationProgress& progress);

HRESULT CopyLink(const TOpenedItem& source, int folder, const std::string& name) {
    std::string target(static_cast<std::size_t>(source.Facts.st_size) + 1, '\0');
    ssize_t length = readlinkat(source.Fd.Get(), "", target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size())
        return length < 0 ? LastError() : HResultFromErrno(EAGAIN);
    target.resize(static_cast<std::size_t>(length));
    return symlinkat(target.c_str(), folder, name.c_str()) == 0 ? S_OK : LastError();
}

HRESULT CopyRegular(const TOpenedItem& source, int folder, const std::string& name,
                    TOperationProgress& progress) {
    TFileHandle from = ReopenForReading(source);
    if (!from.Valid())
        return LastError();
    TFileHandle to(
        openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!to.Valid())
        return LastError();
    HRESULT hr = CopyData(from.Get(), to.Get(), progress);
    return FAILED(hr) ? hr : FinishCopy(to.Get(), source.Facts);
}

HRESULT CopyFolder(const TOpenedItem& source, int folder, const std::string& name, int depth,
                   TOperationProgress& progress) {
    if (depth > kMaxDepth)
        return HResultFromErrno(ELOOP);
    TFileHandle from = ReopenForReading(source);
    if (!from.Valid() || mkdirat(folder, name.c_str(), 0700) != 0)
        return LastError();
    TFileHandle to(openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!to.Valid())
        return LastError();
    HRESULT hr = ForEachChild(from.Get(), progress, [&](const std::string& name) {
        TOpenedItem child;
        HRESULT opened = OpenItemAt(from.Get(), name.c_str(), child);
        return FAILED(opened) ? opened : CopyTree(child, to.Get(), name, depth + 1, progress);
    });
    return FAILED(hr) ? hr : FinishCopy(to.Get(), source.Facts);
}

// Makes `name` in `folder` a copy of the source; what it made may stay
// behind on failure (the caller removes it).
HRESULT CopyTree(const TOpenedItem& source, int folder, const std::string& name, int depth,
                 TOperationProgress& progress) {
    mode_t mode = source.Facts.st_mode;
    if (S_ISDIR(mode))
        return CopyFolder(source, folder, name, depth, progress);
    HRESULT hr = S_ISLNK(mode)   ? CopyLink(source, folder, name)
                 : S_ISREG(mode) ? CopyRegular(source, folder, name, progress)
                                 : HResultFromErrno(EINVAL);  // devices, pipes and sockets
    if (SUCCEEDED(hr))
        progress.AddFile();
    return hr;
}

// rename(2) that fails with EEXIST instead of replacing; file systems without
// that flag get a check just before the rename.
bool RenameWithoutReplacing(int fromFolder, const std::string& fromName, int toFolder,
                            const std::string& toName) {
    if (renameat2(fromFolder, fromName.c_str(), toFolder, toName.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat existing;
    if (fstatat(toFolder, toName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return renameat(fromFolder, fromName.c_str(), toFolder, toName.c_str()) == 0;
}

// Whether the folder open as `folder` is `item` or lies below it.
bool LiesWithin(int folder, const struct stat& item) {
    TFileHandle current(dup(folder));
    for (int depth = 0; current.Valid() && depth < 4096; ++depth) {
        struct stat facts;
        if (fstat(current.Get(), &facts) != 0)
            return true;  // cannot tell: refuse
        if (SameFile(facts, item))
            return true;
        TFileHandle parent(openat(current.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat parentFacts;
        if (!parent.Valid() || fstat(parent.Get(), &parentFacts) != 0)
            return true;
        if (SameFile(parentFacts, facts))
            return false;  // reached the root
        current = std::move(parent);
    }
    return true;
}

// One item on its way into the target folder.
class TTransfer {
  public:
    TTransfer(int target, const std::string& targetPath, IShellPrompts& prompts,
              TOperationProgress& progress)
        : target_(target), targetPath_(targetPath), prompts_(prompts), progress_(progress) {}

    HRESULT Run(TFileOperation operation, const std::string& source, std::string& placed);
    bool SourceMissing() const { return sourceMissing_; }

  private:
    HRESULT Link(const std::string& source);
    HRESULT Move(const std::string& source);
    HRESULT Copy();
    // Renames (fromFolder, fromName) to the wanted name, settling a clash.
    HRESULT Place(int fromFolder, const std::string& fromName);
    TClashAnswer Decide(bool canReplace);
    bool CanReplace(const std::string& name) const;

    int target_;
    const std::string& targetPath_;
    IShellPrompts& prompts_;
    TOperationProgress& progress_;
    TOpenedItem item_;
    std::string name_;    // the name the item arrives under
    std::string placed_;  // the name it got; empty when skipped
    bool keepBoth_ = false;
    bool sourceMissing_ = false;  // the source could not be opened
    std::optional<TClashAnswer> answer_;
};

HRESULT TTransfer::Run(TFileOperation operation, const std::string& source, std::string& placed) {
    name_ = ItemNameOf(source);
    if (name_.empty())
        return E_INVALIDARG;
    progress_.SetCurrent(name_);
    HRESULT hr = OpenItemAt(AT_FDCWD, source.c_str(), item_);
    sourceMissing_ = FAILED(hr);
    if (FAILED(hr))
        return hr;
    if (S_ISDIR(item_.Facts.st_mode) && operation != TFileOperation::Link &&
        LiesWithin(target_, item_.Facts))
        return HResultFromErrno(EINVAL);
    struct stat existing;
    bool sameItem = fstatat(target_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
                    SameFile(existing, item_.Facts);
    keepBoth_ = sameItem || operation == TFileOperation::Link;
    switch (operation) {
        case TFileOperation::Link:
            hr = Link(source);
            break;
        case TFileOperation::Move:
            hr = sameItem ? S_OK : Move(source);
            break;
        case TFileOperation::Copy:
            hr = Copy();
            break;
    }
    placed = placed_;
    return hr;
}

HRESULT TTransfer::Link(const std::string& source) {
    std::string name = name_;
    for (int n = 2; n <= kMaxNumberedName; ++n) {
        if (symlinkat(source.c_str(), target_, name.c_str()) == 0) {
            placed_ = name;
            progress_.AddFile();
            return S_OK;
        }
        if (errno != EEXIST)
            return LastError();
        name = NumberedName(name_, n, S_ISDIR(item_.Facts.st_mode));
    }
    return HResultFromErrno(EEXIST);
}

HRESULT TTransfer::Move(const std::string& source) {
    HRESULT hr = Place(AT_FDCWD, source);
    if (SUCCEEDED(hr) && !placed_.empty())
        progress_.AddFile();
    if (hr != HResultFromErrno(EXDEV))
        return hr;
    hr = Copy();
    if (FAILED(hr) || placed_.empty())
        return hr;
    std::string folder = source.substr(0, source.size() - name_.size());
    TFileHandle parent(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The copy is in place: removing the source is not cut short.
    TOperationProgress removal;
    return parent.Valid() ? RemoveAt(parent.Get(), name_, 0, removal) : LastError();
}

HRESULT TTransfer::Copy() {
    struct stat existing;
    if (!keepBoth_ && fstatat(target_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        answer_ = Decide(CanReplace(name_));
        if (answer_ == TClashAnswer::Skip || answer_ == TClashAnswer::Cancel)
            return answer_ == TClashAnswer::Skip ? S_OK : E_ABORT;
    }
    std::string temporary = TemporaryName();
    const std::uint64_t filesBefore = progress_.Files(), bytesBefore = progress_.Bytes();
    HRESULT hr = CopyTree(item_, target_, temporary, 0, progress_);
    if (SUCCEEDED(hr))
        hr = Place(target_, temporary);
    if (FAILED(hr) || placed_.empty()) {
        TOperationProgress cleanup;
        RemoveAt(target_, temporary, 0, cleanup);
        progress_.TakeBack(progress_.Files() - filesBefore, progress_.Bytes() - bytesBefore);
    }
    return hr;
}

bool TTransfer::CanReplace(const std::string& name) const {
    struct stat existing;
    return !S_ISDIR(item_.Facts.st_mode) &&
           fstatat(target_, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
           !S_ISDIR(existing.st_mode);
}

TClashAnswer TTransfer::Decide(bool canReplace) {
    if (keepBoth_)
        return TClashAnswer::KeepBoth;
    TClashAnswer answer = prompts_.AskClash(JoinPath(targetPath_, name_), canReplace);
    if (answer == TClashAnswer::Replace && !canReplace)
        answer = TClashAnswer::Skip;
    return answer;
}

HRESULT TTransfer::Place(int fromFolder, const std::string& fromName) {
    std::string name = name_;
    for (int n = 2; n <= kMaxNumberedName + 1;) {
        if (RenameWithoutReplacing(fromFolder, fromName, target_, name)) {
            placed_ = name;
            return fsync(target_) == 0 || errno == EINVAL ? S_OK : LastError();
        }
        if (errno != EEXIST)
            return LastError();
        if (!answer_)
            answer_ = Decide(CanReplace(name));
        switch (*answer_) {
            case TClashAnswer::Replace:
                if (!CanReplace(name))
                    return HResultFromErrno(EEXIST);
                if (renameat(fromFolder, fromName.c_str(), target_, name.c_str()) != 0)
                    return LastError();
                placed_ = name;
                return S_OK;
            case TClashAnswer::Skip:
                return S_OK;
            case TClashAnswer::Cancel:
                return E_ABORT;
            case TClashAnswer::KeepBoth:
                name = NumberedName(name_, n++, S_ISDIR(item_.Facts.st_mode));
                break;
        }
    }
    return HResultFromErrno(EEXIST);
}

}  // namespace

std::string ItemNameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (!path.starts_with('/') || slash == std::string::npos)
        return {};
    std::string name = path.substr(slash + 1);
    return name == "." || name == ".." ? std::string() : name;
}

std::string NumberedName(const std::string& name, int n, bool isFolder) {
    std::size_t dot = isFolder ? std::string::npos : name.rfind('.');
    if (dot == 0)
        dot = std::string::npos;
    std::string number = " (" + std::to_string(n) + ")";
    return dot == std::string::npos ? name + number
                                    : name.substr(0, dot) + number + name.substr(dot);
}

void TOperationProgress::SetCurrent(const std::string& name) {
    std::lock_guard<std::mutex> hold(currentLock_);
    current_ = name;
}

std::string TOperationProgress::Current() const {
    std::lock_guard<std::mutex> hold(currentLock_);
    return current_;
}

TFileOperationResult TransferItems(TFileOperation operation,
                                   const std::vector<std::string>& sources,
                                   const std::string& targetFolder, IShellPrompts& prompts,
                                   TOperationProgress& progress) {
    TFileOperationResult result;
    TFileHandle target(open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!target.Valid()) {
        result.Code = LastError();
        return result;
    }
    for (const std::string& source : sources) {
        std::string placed;
        TTransfer transfer(target.Get(), targetFolder, prompts, progress);
        HRESULT hr = transfer.Run(operation, source, placed);
        if (progress.Cancelled())
            hr = E_ABORT;
        if (!placed.empty())
            result.Placed.push_back(placed);
        if (FAILED(hr) && SUCCEEDED(result.Code)) {
            result.Code = hr;
            if (transfer.SourceMissing())
                result.MissingSource = source;
        }
        if (hr == E_ABORT) {
            result.Code = E_ABORT;
            break;
        }
    }
    return result;
}

std::string MissingItemText(const std::string& path, HRESULT code) {
    return Translated("FileOperations", QT_TRANSLATE_NOOP("FileOperations", "Cannot find %1: %2"),
                      {path, SysErrorMessage(code)});
}

HRESULT RemoveItem(const std::string& path, TOperationProgress& progress) {
    std::string name = ItemNameOf(path);
    if (name.empty())
        return E_INVALIDARG;
    std::string folder = path.substr(0, path.size() - name.size());
    TFileHandle parent(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    progress.SetCurrent(name);
    return parent.Valid() ? RemoveAt(parent.Get(), name, 0, progress) : LastError();
}
