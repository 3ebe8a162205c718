#include "framework/ReplacedFiles.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The attribute flags a new file may carry; a kept file with any other
// (append-only, no dump, direct access, ...) would pass it on to the content
// it takes.
constexpr unsigned kNewFileFlags = FS_EXTENT_FL | FS_HUGE_FILE_FL | FS_INLINE_DATA_FL;

bool CarriesAttributeFlags(int fd) {
    int flags = 0;
    return ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
           (static_cast<unsigned>(flags) & ~kNewFileFlags) != 0;
}

// A write lease is given only while no one else has the file open. It is
// given back at once: by then the file is the process's own with mode 0600,
// so that nobody else opens it afterwards.
bool OpenedByNoOneElse(int fd) {
    if (fcntl(fd, F_SETLEASE, F_WRLCK) != 0)
        return false;
    fcntl(fd, F_SETLEASE, F_UNLCK);
    return true;
}

// Only the process may read what it writes there, as with a new temporary
// file: the owner first, so that the file's former owner can change neither
// its mode nor its flags afterwards.
int MakeOwn(int fd, const struct stat& st) {
    if (st.st_uid != geteuid() && fchown(fd, geteuid(), static_cast<gid_t>(-1)) != 0)
        return errno;
    return fchmod(fd, 0600) == 0 ? 0 : errno;
}

int RemoveExtendedAttributes(int fd) {
    std::vector<char> names(4096);
    ssize_t length;
    while ((length = flistxattr(fd, names.data(), names.size())) < 0 && errno == ERANGE)
        names.resize(names.size() * 2);
    if (length < 0)
        return errno == ENOTSUP ? 0 : errno;
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
        if (fremovexattr(fd, &names[at]) != 0)
            return errno;
    }
    return 0;
}

// Opens the kept file anew for reading and writing, through the process's
// own descriptor rather than its name; a lease another process holds refuses
// it.
TFileHandle ReopenReadWrite(int fd) {
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    return TFileHandle(open(self.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

// Drops the file's cached pages, so that whoever still holds some of them (a
// pipe spliced from the file, a pinned buffer) keeps the replaced content and
// never sees the new one. Zeroing whole pages drops them, keeps the disk
// space (freeing it can wait for the disk) and spares reading the old blocks
// back for the partly written pages; a file system that cannot zero frees
// it instead.
int DropPages(int fd, const struct stat& st) {
    const off_t unit = std::max<off_t>(sysconf(_SC_PAGESIZE), st.st_blksize);
    const off_t whole = (st.st_size + unit - 1) / unit * unit;
    if (whole > 0 && fallocate(fd, FALLOC_FL_ZERO_RANGE | FALLOC_FL_KEEP_SIZE, 0, whole) == 0)
        return 0;
    return ftruncate(fd, 0) == 0 ? 0 : errno;
}

// The kept file as the caller found it: a plain file with this one name,
// without attribute flags.
bool Untouched(const TReplacedFile& replaced, const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 &&
           NamesFile(replaced.folder.Get(), replaced.name, st);
}

}  // namespace

int ReuseAsTemp(TReplacedFile& replaced, TTempFile& temp) {
    TFileHandle file = ReopenReadWrite(replaced.file.Get());
    if (!file.Valid())
        return errno;
    replaced.file = std::move(file);  // the other descriptor goes: a write lease wants ours alone
    const int fd = replaced.file.Get();
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return errno;
    if (!Untouched(replaced, st))
        return EBUSY;
    // Made the process's own first, so that nobody else can open it, move it
    // or set its flags from here on; then it must still have its one name,
    // and nobody may have it open from before.
    if (int error = MakeOwn(fd, st))
        return error;
    if (fstat(fd, &st) != 0 || !Untouched(replaced, st) || CarriesAttributeFlags(fd) ||
        !OpenedByNoOneElse(fd))
        return EBUSY;
    if (int error = DropPages(fd, st))
        return error;
    if (int error = RemoveExtendedAttributes(fd))
        return error;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno;
    temp.handle = std::move(replaced.file);
    temp.name = std::exchange(replaced.name, std::string());
    return 0;
}

void LetGo(TReplacedFile& replaced) noexcept {
    struct stat st {};
    if (!replaced.name.empty() && fstat(replaced.file.Get(), &st) == 0 &&
        NamesFile(replaced.folder.Get(), replaced.name, st))
        unlinkat(replaced.folder.Get(), replaced.name.c_str(), 0);
    replaced.name.clear();
    replaced.file.Close();
    replaced.folder.Close();
}
