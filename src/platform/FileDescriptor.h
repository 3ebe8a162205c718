#pragma once

#include <unistd.h>

#include <utility>

// Owns one open file descriptor and closes it when it goes.
class TFileDescriptor {
  public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~TFileDescriptor() {
        if (fd_ >= 0)
            close(fd_);
    }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};
