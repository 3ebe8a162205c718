#include "framework/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "framework/StreamErrors.h"

namespace {

// Repeats a read or write call until `count` bytes are moved, the call fails
// (other than by an interruption) or it moves nothing; returns the bytes moved.
template <typename Byte, typename Call>
std::int32_t TransferAll(Byte* at, std::int32_t count, Call call) {
    std::int32_t done = 0;
    while (done < count) {
        ssize_t n = call(at + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::int32_t>(n);
    }
    return done;
}

}  // namespace

std::int32_t THandleStream::Read(void* buffer, std::int32_t count) {
    return TransferAll(static_cast<char*>(buffer), count,
                       [this](char* at, std::size_t n) { return ::read(handle_, at, n); });
}

std::int32_t THandleStream::Write(const void* buffer, std::int32_t count) {
    return TransferAll(static_cast<const char*>(buffer), count,
                       [this](const char* at, std::size_t n) { return ::write(handle_, at, n); });
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                 : origin == TSeekOrigin::Current ? SEEK_CUR
                                                  : SEEK_END;
    return ::lseek(handle_, offset, whence);
}

void THandleStream::SetSize(std::int64_t newSize) {
    std::int64_t position = Position();
    if (::ftruncate(handle_, newSize) != 0)
        throw EWriteError();
    if (position > newSize)
        SetPosition(newSize);
}

namespace {

int OpenFlags(TFileMode mode) {
    switch (mode) {
        case TFileMode::OpenRead:
            return O_RDONLY;
        case TFileMode::OpenReadWrite:
            return O_RDWR;
        case TFileMode::Create:
            return O_RDWR | O_CREAT | O_TRUNC;
        case TFileMode::CreateNew:
            return O_RDWR | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode)
    : THandleStream(::open(fileName.c_str(), OpenFlags(mode) | O_CLOEXEC,
                           mode == TFileMode::CreateNew ? 0600 : 0666)),
      fileName_(fileName) {
    struct stat info {};
    if (handle_ >= 0 && ::fstat(handle_, &info) == 0 && S_ISDIR(info.st_mode)) {
        // A folder opens for reading here but is no file to stream.
        ::close(handle_);
        throw EFOpenError::CannotOpen(fileName, EISDIR);
    }
    if (handle_ >= 0)
        return;
    if (mode == TFileMode::Create || mode == TFileMode::CreateNew)
        throw EFCreateError::CannotCreate(fileName, errno);
    throw EFOpenError::CannotOpen(fileName, errno);
}

TFileStream::~TFileStream() {
    ::close(handle_);
}
