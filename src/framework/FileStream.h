#pragma once

#include <cstdint>
#include <string>

#include "framework/Stream.h"

// A stream over an open file descriptor that somebody else owns (a file the
// caller opened, or the temporary file of a safe rewrite). Failed reads and
// writes report short counts, which ReadBuffer/WriteBuffer turn into errors.
class THandleStream : public TStream {
  public:
    explicit THandleStream(int handle) : handle_(handle) {}

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Throws EWriteError when the file cannot be resized.
    void SetSize(std::int64_t newSize) override;

    int Handle() const { return handle_; }

  protected:
    int handle_;
};

// How a file stream opens its file. Create makes a new file or truncates an
// existing one; CreateNew makes a new file only (mode 0600), failing when the
// name exists (links included, so a planted link is never followed). Both
// open for reading and writing.
enum class TFileMode { OpenRead, OpenReadWrite, Create, CreateNew };

// A stream that opens a file by name and closes it when destroyed.
// Throws EFOpenError::CannotOpen when the file cannot be opened and
// EFCreateError::CannotCreate when it cannot be created.
class TFileStream : public THandleStream {
  public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    const std::string& FileName() const { return fileName_; }

  private:
    std::string fileName_;
};
