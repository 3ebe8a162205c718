#pragma once

#include <cstdint>

// A sequence of bytes with a current position: the common ground of memory
// buffers and files. Positions and sizes are 64-bit; a single transfer moves at
// most a 32-bit count.
enum class TSeekOrigin { Beginning, Current, End };

class TStream {
  public:
    virtual ~TStream() = default;

    // Moves up to `count` bytes from the current position; return the number
    // moved (fewer at the end of the data or on failure).
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    // Returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    // Grows (with zero bytes) or cuts the stream; the position is kept but
    // moved back to the new end when it lay beyond it.
    virtual void SetSize(std::int64_t newSize) = 0;
    virtual std::int64_t Size();

    std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Beginning); }

    // Exactly `count` bytes or EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::int32_t count);
    void WriteBuffer(const void* buffer, std::int32_t count);

    // Copies `count` bytes from the source's current position to this stream's
    // (count 0: the whole source, from its start). Returns the count copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};
