#include "framework/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <future>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

// How many files a group lets go at once: each may wait on the disk, and
// those waits overlap.
constexpr std::size_t kHelpers = 64;
// A handed file at least this large has the disk start on its data at once.
constexpr off_t kEarlyWriteBytes = 1 << 20;
// Kept files a new temporary file tries before one is made afresh.
constexpr std::size_t kMostReuseFailures = 2;
// Descriptors a handed file may hold: its temporary file, the file it
// replaces and that file's folder, the user's cache of originals. Handed
// files get half of the descriptors the process may spare; the files held
// after their replacement (each with its folder) and those being let go share
// the other half, so that a run of many photos frees few of them before its
// last new file is made.
constexpr std::size_t kDescriptorsPerFile = 4;
constexpr std::size_t kDescriptorsPerReplaced = 2;
// Descriptors left to the caller for the file it works on and its own needs,
// and to the one in-place rewrite at a time (the original's copy and the file
// opened for writing).
constexpr long kSpareDescriptors = 16;

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

// The file and folder a rewrite by name replaces.
TFileOrigin OriginOfPath(const std::string& path) {
    TFileOrigin origin;
    origin.path = ResolveLinks(path);
    CheckTarget(origin.path);
    origin.name = NameOf(origin.path);
    origin.folder =
        TFileHandle(open(FolderOf(origin.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!origin.folder.Valid())
        throw TAtomicFileError(errno, origin.path);
    origin.file = TFileHandle(openat(origin.folder.Get(), origin.name.c_str(),
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (origin.file.Valid() && fstat(origin.file.Get(), &origin.facts) != 0)
        throw TAtomicFileError(errno, origin.path);
    if (!origin.file.Valid() && errno != ENOENT)
        throw TAtomicFileError(errno, origin.path);
    return origin;
}

mode_t CurrentUmask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

bool SameFacts(const struct stat& a, const struct stat& b) {
    auto same = [](const timespec& x, const timespec& y) {
        return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
    };
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           same(a.st_mtim, b.st_mtim) && same(a.st_ctim, b.st_ctim);
}

// Extended attributes (desktop tags, access control lists, ...) go with the
// content. One the process may not set (another's security label, a file
// system without them) is left behind rather than failing the rewrite.
void CopyExtendedAttributes(int from, int to) {
    std::vector<char> names(4096);
    ssize_t length;
    while ((length = flistxattr(from, names.data(), names.size())) < 0 && errno == ERANGE)
        names.resize(names.size() * 2);
    std::vector<char> value;
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
        const char* name = &names[at];
        ssize_t size = fgetxattr(from, name, nullptr, 0);
        if (size < 0)
            continue;
        value.resize(static_cast<std::size_t>(size));
        size = fgetxattr(from, name, value.data(), value.size());
        if (size >= 0)
            (void)!fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0);
    }
}

// The renames are done; a folder that cannot be synced is no failure, but
// only the files a synced folder's renames replaced may be reused.
bool SyncFolder(int folder) {
    return fsync(folder) == 0;
}

// Content changes its name: swapped with what it replaces when the caller
// keeps that, where the file system can.
bool SwapNames(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
    return renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_EXCHANGE) == 0;
}

bool SwapUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// The whole path of the entry `name` in the open folder, for people to read.
std::string WholePath(int folder, const std::string& name) {
    char path[PATH_MAX];
    std::string self = "/proc/self/fd/" + std::to_string(folder);
    ssize_t length = readlink(self.c_str(), path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) + "/" + name : name;
}

long OpenDescriptorCount() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr)
        return 0;
    long count = 0;
    while (readdir(dir) != nullptr)
        ++count;
    closedir(dir);
    return count;
}

// The descriptors the process may spare.
std::size_t DescriptorRoom() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return SIZE_MAX / 2;
    long room = static_cast<long>(std::min<rlim_t>(limit.rlim_cur, LONG_MAX)) -
                OpenDescriptorCount() - kSpareDescriptors;
    return static_cast<std::size_t>(std::max<long>(0, room));
}

}  // namespace

int CheckUnchanged(const TFileOrigin& origin) noexcept {
    if (!origin.file.Valid())
        return 0;  // a new file: nothing was read
    struct stat now {};
    if (fstatat(origin.folder.Get(), origin.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? TAtomicFile::kPassedOver : errno;
    if (!SameFacts(now, origin.facts))
        return TAtomicFile::kPassedOver;
    if (origin.leased && fcntl(origin.file.Get(), F_GETLEASE) != F_RDLCK)
        return TAtomicFile::kPassedOver;  // someone is opening it for writing
    return 0;
}

TFileHandle ReopenForWriting(int fd) {
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    return TFileHandle(open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

TAtomicFile::TAtomicFile(const std::string& path) : origin_(OriginOfPath(path)) {
    Create();
}

TAtomicFile::TAtomicFile(TFileOrigin origin) : origin_(std::move(origin)) {
    Create();
}

TAtomicFile::TAtomicFile(TFileOrigin origin, TAtomicFileGroup& group) : origin_(std::move(origin)) {
    reused_ = group.Reuse(origin_.folder.Get(), temp_);
    if (!reused_)
        Create();
}

void TAtomicFile::Create() {
    int error = CreateTempFile(origin_.folder.Get(), temp_);
    if ((error == EACCES || error == EPERM) && origin_.file.Valid()) {
        CreateInCache(error);
        return;
    }
    if (error != 0)
        throw TAtomicFileError(error, origin_.path);
}

void TAtomicFile::CreateInCache(int folderError) {
    std::string cachePath;
    int error = OpenOriginalsCache(true, cache_, cachePath);
    if (error == 0)
        error = CreateTempFile(cache_.Get(), temp_);
    if (error != 0) {
        cache_.Close();
        throw TAtomicFileError(folderError, FolderOf(origin_.path), cachePath, error);
    }
}

TAtomicFile::~TAtomicFile() {
    Discard();
}

void TAtomicFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(Handle(), bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw TAtomicFileError(written < 0 ? errno : EIO, origin_.path);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

bool TAtomicFile::Commit() {
    int result = 0;
    try {
        CopyAttributes();
        result = PutInPlace();
    } catch (...) {
        Discard();
        throw;
    }
    if (result != 0)
        Discard();
    if (result > 0)
        throw TAtomicFileError(result, origin_.path);
    SyncFolder(origin_.folder.Get());
    return result == 0;
}

void TAtomicFile::Commit(TAtomicFileGroup& group) {
    try {
        const off_t end = lseek(Handle(), 0, SEEK_CUR);
        if (reused_ && (end < 0 || ftruncate(Handle(), end) != 0))
            throw TAtomicFileError(errno, origin_.path);  // what it held before goes
        CopyAttributes();
    } catch (...) {
        Discard();
        throw;
    }
    auto held = std::unique_ptr<TAtomicFile>(new TAtomicFile());
    held->origin_ = std::move(origin_);
    held->temp_ = std::move(temp_);
    held->cache_ = std::move(cache_);
    held->newTime_ = newTime_;
    held->reused_ = reused_;
    held->inPlace_ = inPlace_;
    group.Queue(std::move(held));
}

// Owner and group first (changing them may clear set-id bits), then the mode,
// then the times, which must come after the last write. When the owner or
// group cannot be kept, the rewrite goes in place and the file keeps its own.
void TAtomicFile::CopyAttributes() {
    const int fd = Handle();
    if (!origin_.file.Valid()) {
        if (fchmod(fd, 0666 & ~CurrentUmask()) != 0)
            throw TAtomicFileError(errno, origin_.path);
        return;
    }
    const struct stat& st = origin_.facts;
    if (cache_.Valid() || st.st_nlink > 1 || fchown(fd, st.st_uid, st.st_gid) != 0) {
        inPlace_ = true;
        return;
    }
    if (fchmod(fd, st.st_mode & 07777) != 0)
        throw TAtomicFileError(errno, origin_.path);
    CopyExtendedAttributes(origin_.file.Get(), fd);
    const timespec times[2] = {st.st_atim, ModificationTime()};
    if (futimens(fd, times) != 0)
        throw TAtomicFileError(errno, origin_.path);
}

timespec TAtomicFile::ModificationTime() const {
    return newTime_.value_or(origin_.facts.st_mtim);
}

int TAtomicFile::PutInPlace() noexcept {
    int result = PlaceContent(false);
    origin_.file.Close();  // lets a writer waiting on the lease go on
    return result;
}

int TAtomicFile::PlaceContent(bool grouped) noexcept {
    if (!grouped && fdatasync(Handle()) != 0)
        return errno;
    if (int changed = CheckUnchanged(origin_))
        return changed;
    if (inPlace_)
        return RewriteInPlace();
    if (int error = Rename(grouped && origin_.file.Valid()))
        return error;
    temp_.handle.Close();  // held until now: its lock marks it as ours
    return 0;
}

int TAtomicFile::Rename(bool keepReplaced) noexcept {
    const int folder = origin_.folder.Get();
    if (keepReplaced) {
        if (SwapNames(TempFolder(), temp_.name, folder, origin_.name))
            return CheckSwap();
        if (!SwapUnsupported(errno))
            return errno;
    }
    if (renameat(TempFolder(), temp_.name.c_str(), folder, origin_.name.c_str()) != 0)
        return errno;
    temp_.name.clear();
    return 0;
}

int TAtomicFile::CheckSwap() noexcept {
    const int folder = origin_.folder.Get();
    struct stat content {};
    if (fstat(Handle(), &content) == 0 && NamesFile(folder, origin_.name, content) &&
        NamesFile(TempFolder(), temp_.name, origin_.facts)) {
        replacedName_ = std::exchange(temp_.name, std::string());
        return 0;
    }
    // Something else took a name between the check and the swap (a folder or
    // another file as the target's, another file as the temporary file's):
    // the names are swapped back, and the file is passed over.
    if (!SwapNames(folder, origin_.name, TempFolder(), temp_.name))
        temp_.name.clear();  // what it names now is not ours to remove
    return kPassedOver;
}

// The steps of an in-place rewrite (see the class comment): copy, flushed and
// given its final name (and, in the user's cache, its record) on disk; the
// file overwritten and flushed; the copy removed. Should the overwrite fail,
// the copy is written back; should that fail too, the copy stays for the next
// run.
int TAtomicFile::RewriteInPlace() noexcept {
    const int folder = origin_.folder.Get();
    const int copies = TempFolder();
    const int file = origin_.file.Get();
    if (std::exchange(origin_.leased, false))
        fcntl(file, F_SETLEASE, F_UNLCK);  // our own writer would break it
    TTempFile copy;
    if (int error = CreateTempFile(copies, copy))
        return error;
    const std::string copyName = OriginalCopyName(copy.name, temp_.name, origin_.facts.st_ino);
    const std::string recordName = CopyRecordName(copyName);
    auto dropCopy = [&] {
        for (const std::string& name : {recordName, copyName, copy.name})
            unlinkat(copies, name.c_str(), 0);
    };
    // Both stay readable for whoever may read the file, so that its owner can
    // put the original back after a crash.
    const mode_t readable = origin_.facts.st_mode & 0444;
    int error = CopyContent(file, copy.handle.Get());
    if (error == 0 && (fchmod(copy.handle.Get(), readable | S_IRUSR) != 0 ||
                       fchmod(Handle(), readable | S_IRUSR) != 0 || fsync(copy.handle.Get()) != 0 ||
                       renameat(copies, copy.name.c_str(), copies, copyName.c_str()) != 0))
        error = errno;
    if (error == 0 && cache_.Valid())
        error = RecordCachedCopy(copies, copyName, folder, WholePath(folder, origin_.name));
    if (error == 0 && fsync(copies) != 0)
        error = errno;
    if (error != 0) {
        dropCopy();
        return error;
    }
    TFileHandle writer = ReopenForWriting(file);
    if (!writer.Valid())
        error = errno;
    else if (int changed = CheckUnchanged(origin_))
        error = changed;
    if (error != 0) {
        dropCopy();
        return error;
    }
    error = CopyContent(Handle(), writer.Get());
    const timespec times[2] = {{0, UTIME_OMIT}, ModificationTime()};
    if (error == 0)
        timeLost_ = futimens(writer.Get(), times) != 0;  // only an owner may set it
    if (error == 0 && fsync(writer.Get()) != 0)
        error = errno;
    if (error != 0 && (CopyContent(copy.handle.Get(), writer.Get()) != 0 || fsync(writer.Get()))) {
        temp_.name.clear();  // the copy and the new content stay: a tidy puts it back
        return error;
    }
    dropCopy();
    unlinkat(copies, std::exchange(temp_.name, std::string()).c_str(), 0);
    SyncFolder(copies);
    return error;
}

void TAtomicFile::Discard() noexcept {
    if (!temp_.name.empty() && TempFolder() >= 0)
        unlinkat(TempFolder(), std::exchange(temp_.name, std::string()).c_str(), 0);
    temp_.handle.Close();
}

std::thread TAtomicFileGroup::StartHelper(std::function<void()> work) {
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);  // the new thread inherits the mask
    struct Restore {
        sigset_t& mask;
        ~Restore() { pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
    } restore{previous};
    return std::thread(std::move(work));
}

int TAtomicFileGroup::SyncFileSystem(int fd) {
    return syncfs(fd) == 0 ? 0 : errno;
}

TAtomicFileGroup::TAtomicFileGroup(FileSystemSync sync, ThreadStart start)
    : sync_(std::move(sync)),
      maxPending_(std::max<std::size_t>(1, DescriptorRoom() / 2 / kDescriptorsPerFile)),
      maxHeld_(std::max<std::size_t>(1, DescriptorRoom() / 2 / kDescriptorsPerReplaced)),
      start_(std::move(start)) {}

TAtomicFileGroup::~TAtomicFileGroup() {
    syncWait_ = nullptr;                       // the owner may be unwinding: it syncs plainly
    for (int batch = 0; batch < 2; ++batch) {  // a failure of the batch in flight stops the first
        try {
            Flush();
            break;
        } catch (const TAtomicFileError&) {
            // Each failed file kept its original; there is no one left to tell.
        }
    }
    if (syncer_.joinable())
        syncer_.join();  // a wait that threw left it
    Release();
    StopHelpers();
}

bool TAtomicFileGroup::Due() const {
    return Full() || handed_.size() >= batchFiles_ || pendingBytes_ >= kMostBatchBytes;
}

bool TAtomicFileGroup::Holds(const struct stat& facts) const {
    const FileId id{facts.st_dev, facts.st_ino};
    return targets_.contains(id) || inFlightTargets_.contains(id);
}

void TAtomicFileGroup::Queue(std::unique_ptr<TAtomicFile> file) {
    // Before and after its rename, the target's name names one of these two.
    struct stat st {};
    const bool known = fstat(file->Handle(), &st) == 0;
    // The disk starts on a large file's data now, while the next files are
    // written, so that the group's sync finds little left to wait for; small
    // ones go together at the sync, one request to the disk for many files.
    // (Content that goes in place is only read back: it need not reach the
    // disk.)
    if (!file->inPlace_ && known && st.st_size >= kEarlyWriteBytes)
        sync_file_range(file->Handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
    if (known) {
        pendingBytes_ += st.st_size;
        targets_.insert({st.st_dev, st.st_ino});
    }
    if (file->origin_.file.Valid())
        targets_.insert({file->origin_.facts.st_dev, file->origin_.facts.st_ino});
    if (handed_.empty())
        batchStart_ = std::chrono::steady_clock::now();
    handed_.push_back({std::move(file), st.st_dev, 0, std::nullopt});
}

void TAtomicFileGroup::SyncAll(std::vector<Handed>& handed) {
    std::set<dev_t> synced;
    for (Handed& file : handed) {
        if (!synced.insert(file.device).second)
            continue;
        const int error = sync_(file.file->Handle());
        for (Handed& other : handed) {
            if (other.device == file.device)
                other.result = error;
        }
    }
}

void TAtomicFileGroup::StartSync() {
    syncing_ = std::promise<void>();
    synced_ = syncing_.get_future();
    try {
        syncer_ = start_([this] {
            SyncAll(inFlight_);
            syncing_.set_value();
        });
    } catch (const std::system_error&) {
        SyncAll(inFlight_);
        syncing_.set_value();
    }
}

std::chrono::steady_clock::duration TAtomicFileGroup::WaitForSync() {
    const auto start = std::chrono::steady_clock::now();
    struct Join {
        std::thread& thread;
        ~Join() {  // also when the wait throws: the batch outlives its sync
            if (thread.joinable())
                thread.join();
        }
    } join{syncer_};
    if (syncWait_ && syncer_.joinable())
        syncWait_([&](int milliseconds) {
            return synced_.wait_for(std::chrono::milliseconds(milliseconds)) ==
                   std::future_status::ready;
        });
    synced_.wait();
    return std::chrono::steady_clock::now() - start;
}

std::vector<std::string> TAtomicFileGroup::Finish(std::vector<Handed>& handed) {
    std::vector<std::string> passedOver;
    std::map<FileId, bool> synced;  // whether each folder's flush succeeded
    for (Handed& file : handed) {
        if (file.result == TAtomicFile::kPassedOver)
            passedOver.push_back(file.file->origin_.path);
        if (file.result == 0 && file.file->timeLost_) {
            timesNotKept_.push_back(file.file->origin_.path);
            continue;
        }
        const int folder = file.file->origin_.folder.Get();
        struct stat st {};
        if (file.result != 0 || fstat(folder, &st) != 0)
            continue;
        const FileId id{st.st_dev, st.st_ino};
        auto [at, first] = synced.try_emplace(id, false);
        if (first)
            at->second = SyncFolder(folder);
        if (at->second)
            file.flushedFolder = id;
    }
    return passedOver;
}

void TAtomicFileGroup::WaitForRelease() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return releasing_.empty() && busy_ == 0; });
}

std::size_t TAtomicFileGroup::Releasing() {
    std::lock_guard lock(mutex_);
    return releasing_.size() + busy_;
}

void TAtomicFileGroup::Hold(std::vector<Handed>& placed) {
    // The held files and those still being let go share one bound.
    if (HeldCount() + placed.size() + Releasing() > maxHeld_)
        WaitForRelease();
    const bool lowOnSpace = LowOnSpace(placed);  // while the files have their folders
    for (Handed& file : placed) {
        TAtomicFile& done = *file.file;
        TFileOrigin& origin = done.origin_;
        if (file.result != 0 || done.inPlace_ || !origin.file.Valid())
            continue;  // nothing was replaced
        if (std::exchange(origin.leased, false))
            fcntl(origin.file.Get(), F_SETLEASE, F_UNLCK);  // another link may still name it
        TReplacedFile replaced{std::move(origin.file), {}, {}, origin.facts.st_size};
        // Its content may be overwritten once the new content's name is on disk.
        const bool swapped = !done.replacedName_.empty();
        const bool reusable = swapped && file.flushedFolder.has_value();
        if (swapped) {
            replaced.folder = std::move(origin.folder);
            replaced.name = std::move(done.replacedName_);
        }
        if (reusable) {
            replaced.folderDevice = static_cast<dev_t>(file.flushedFolder->device);
            replaced.folderInode = static_cast<ino_t>(file.flushedFolder->inode);
        }
        heldBytes_ += replaced.size;
        (reusable ? spares_ : held_).push_back(std::move(replaced));
    }
    if (HeldCount() >= maxHeld_ || heldBytes_ >= kMostHeldBytes || lowOnSpace)
        Release();
}

bool TAtomicFileGroup::Reuse(int folder, TTempFile& temp) {
    struct stat target {};
    if (spares_.empty() || fstat(folder, &target) != 0)
        return false;
    // Kept files serve their own folder only (see ReuseAsTemp); a walk never
    // comes back to a folder, so those of others go.
    const auto here = std::stable_partition(spares_.begin(), spares_.end(), [&](const auto& spare) {
        return spare.folderDevice != target.st_dev || spare.folderInode != target.st_ino;
    });
    std::vector<TReplacedFile> failed(std::make_move_iterator(spares_.begin()),
                                      std::make_move_iterator(here));
    spares_.erase(spares_.begin(), here);
    for (const TReplacedFile& spare : failed)
        heldBytes_ -= spare.size;
    bool reused = false;
    for (std::size_t tries = 0; !reused && !spares_.empty() && tries < kMostReuseFailures;
         ++tries) {
        TReplacedFile spare = std::move(spares_.back());
        spares_.pop_back();
        heldBytes_ -= spare.size;
        reused = ReuseAsTemp(spare, temp) == 0;
        if (!reused)
            failed.push_back(std::move(spare));
    }
    LetGoAway(std::move(failed));
    return reused;
}

bool TAtomicFileGroup::LowOnSpace(const std::vector<Handed>& placed) {
    std::set<dev_t> asked;
    for (const Handed& file : placed) {
        struct statvfs space {};
        if (file.result != 0 || !asked.insert(file.device).second ||
            fstatvfs(file.file->origin_.folder.Get(), &space) != 0)
            continue;
        if (static_cast<long long>(space.f_bavail) * static_cast<long long>(space.f_frsize) <
            kLeastFreeBytes)
            return true;
    }
    return false;
}

void TAtomicFileGroup::Release() {
    WaitForRelease();
    std::vector<TReplacedFile> files = std::exchange(held_, {});
    std::move(spares_.begin(), spares_.end(), std::back_inserter(files));
    spares_.clear();
    heldBytes_ = 0;
    LetGoAway(std::move(files));
}

void TAtomicFileGroup::LetGoAway(std::vector<TReplacedFile> files) {
    if (files.empty())
        return;
    const std::size_t count = files.size();
    {
        std::lock_guard lock(mutex_);
        for (TReplacedFile& file : files)
            releasing_.push_back(std::move(file));
    }
    while (helpers_.size() < std::min(count, kHelpers)) {
        try {
            helpers_.push_back(start_([this] { ReleaseLoop(); }));
        } catch (const std::system_error&) {
            break;  // those running will do
        }
    }
    if (helpers_.empty()) {
        std::lock_guard lock(mutex_);
        for (TReplacedFile& file : releasing_)
            LetGo(file);
        releasing_.clear();
    }
    work_.notify_all();
}

// A helper's loop: lets handed files go until the group closes.
void TAtomicFileGroup::ReleaseLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || !releasing_.empty(); });
        if (releasing_.empty())
            return;
        TReplacedFile file = std::move(releasing_.front());
        releasing_.pop_front();
        ++busy_;
        lock.unlock();
        LetGo(file);
        lock.lock();
        if (--busy_ == 0 && releasing_.empty())
            idle_.notify_all();
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

std::vector<std::string> TAtomicFileGroup::Flush() {
    std::vector<std::string> passedOver = Send();
    std::vector<std::string> more = Land();
    passedOver.insert(passedOver.end(), more.begin(), more.end());
    return passedOver;
}

std::vector<std::string> TAtomicFileGroup::Send() {
    std::vector<std::string> passedOver = Land();
    if (handed_.empty())
        return passedOver;
    inFlightWriting_ = std::chrono::steady_clock::now() - batchStart_;
    inFlight_ = std::exchange(handed_, {});
    inFlightTargets_ = std::exchange(targets_, {});
    pendingBytes_ = 0;
    StartSync();
    return passedOver;
}

std::vector<std::string> TAtomicFileGroup::Land() {
    if (inFlight_.empty())
        return {};
    // A batch that kept the owner waiting for more than a quarter of its
    // writing time: the next ones are bigger, to wait less often.
    if (WaitForSync() * 4 > inFlightWriting_)
        batchFiles_ = std::min(batchFiles_ * 2, kMostBatchFiles);
    std::vector<Handed> batch = std::exchange(inFlight_, {});
    inFlightTargets_.clear();
    return Place(batch);
}

std::vector<std::string> TAtomicFileGroup::Place(std::vector<Handed>& handed) {
    for (Handed& file : handed) {
        if (file.result == 0)
            file.result = file.file->PlaceContent(true);
        if (file.result != 0)
            file.file->Discard();
    }
    std::vector<std::string> passedOver = Finish(handed);
    Hold(handed);
    auto failed = std::find_if(handed.begin(), handed.end(),
                               [](const Handed& file) { return file.result > 0; });
    if (failed != handed.end())
        throw TAtomicFileError(failed->result, failed->file->origin_.path);
    return passedOver;
}
