#pragma once

#include <cstdint>

// Bytes that can be read by position: what the segment scan reads (a photo's
// head on disk, or the byte document). Positions are 0-based.
class IByteSource {
  public:
    virtual ~IByteSource() = default;
    virtual int Size() const = 0;
    // REQUIRES: 0 <= position < Size().
    virtual std::uint8_t Get(int position) const = 0;
};

// A run of bytes that can grow in the middle: what the EXIF head is written
// into. The stamp command binds it to the byte document.
class IByteBuffer : public IByteSource {
  public:
    virtual void Set(int position, std::uint8_t value) = 0;
    // Inserts `count` zero bytes at `position` and appends `count` zero bytes
    // at the end: the outcome of 2 * count zero half-byte insertions in front
    // of the high half of the byte at `position`. False (nothing changed) when
    // the position is not inside the buffer.
    virtual bool OpenZeroGap(int position, int count) = 0;
};
