#pragma once

#include <cstdint>

// Bytes that can be read by position: what the segment scan and the head
// check read (a photo's head on disk). Positions are 0-based.
class IByteSource {
  public:
    virtual ~IByteSource() = default;
    virtual int Size() const = 0;
    // REQUIRES: 0 <= position < Size().
    virtual std::uint8_t Get(int position) const = 0;
};
