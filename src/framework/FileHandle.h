#pragma once

#include <unistd.h>

#include <utility>

// An open file descriptor with one owner: closed when the owner goes, handed
// on by moving. -1 holds nothing.
class TFileHandle {
  public:
    TFileHandle() = default;
    explicit TFileHandle(int fd) : fd_(fd) {}
    ~TFileHandle() { Close(); }
    TFileHandle(TFileHandle&& other) noexcept : fd_(other.Release()) {}
    TFileHandle& operator=(TFileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = other.Release();
        }
        return *this;
    }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    // Closes now; returns close's result (0 when nothing was held).
    int Close() { return fd_ >= 0 ? ::close(Release()) : 0; }

  private:
    int fd_ = -1;
};
