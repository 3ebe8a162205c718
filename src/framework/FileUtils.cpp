#include "framework/FileUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

// Opens without waiting on a FIFO writer; the descriptor closes with the object.
class ProbeHandle {
  public:
    ProbeHandle(const std::string& fileName, int flags)
        : fd_(::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC)) {}
    ~ProbeHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ProbeHandle(const ProbeHandle&) = delete;
    ProbeHandle& operator=(const ProbeHandle&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

bool OpensForWriting(const std::string& fileName, const struct stat& info) {
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    ProbeHandle file(fileName, O_RDWR);
    return file.fd() >= 0 && ::flock(file.fd(), LOCK_EX | LOCK_NB) == 0;
}

// Why a file with these facts is not a regular file within the limit, or 0.
int RegularFileError(const struct stat& facts, long long limit) {
    if (!S_ISREG(facts.st_mode))
        return S_ISDIR(facts.st_mode) ? EISDIR : EINVAL;
    return facts.st_size > limit ? EFBIG : 0;
}

}  // namespace

TFileHandle OpenRegularFile(const std::string& fileName, long long limit, struct stat& facts) {
    TFileHandle file;
    int error = ::stat(fileName.c_str(), &facts) != 0 ? errno : RegularFileError(facts, limit);
    if (error == 0) {
        file = TFileHandle(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!file.Valid() || ::fstat(file.Get(), &facts) != 0)
            error = errno;
        else
            error = RegularFileError(facts, limit);
    }
    if (error != 0) {
        file.Close();
        errno = error;
    }
    return file;
}

TFileProbe ProbeFile(const std::string& fileName) {
    TFileProbe probe;
    ProbeHandle file(fileName, O_RDONLY);
    struct stat info {};
    if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0) {
        probe.Error = errno;
        return probe;
    }
    if (!S_ISREG(info.st_mode)) {
        probe.Error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return probe;
    }
    probe.Readable = true;
    probe.Writable = OpensForWriting(fileName, info);
    return probe;
}

bool NameTaken(const std::string& fileName) {
    struct stat info {};
    return ::lstat(fileName.c_str(), &info) == 0;
}

bool RemoveFile(const std::string& fileName) {
    return ::unlink(fileName.c_str()) == 0;
}

std::string TempFolderPath() {
    const char* variable = std::getenv("TMPDIR");
    std::string path = variable != nullptr ? variable : "";
    const char* blanks = " \t\r\n";
    auto first = path.find_first_not_of(blanks);
    path = first == std::string::npos
               ? ""
               : path.substr(first, path.find_last_not_of(blanks) - first + 1);
    if (path.empty())
        path = "/tmp";
    if (path.back() != '/')
        path += '/';
    return path;
}

std::uint32_t TickCountMs() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
