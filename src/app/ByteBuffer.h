#pragma once

#include <cstdint>

// A run of bytes that can grow in the middle: what the EXIF head is written
// into and what the segment scan reads. The stamp command binds it to the
// byte document; positions are 0-based.
class IByteBuffer {
  public:
    virtual ~IByteBuffer() = default;
    virtual int Size() const = 0;
    // REQUIRES: 0 <= position < Size().
    virtual std::uint8_t Get(int position) const = 0;
    virtual void Set(int position, std::uint8_t value) = 0;
    // Inserts `count` zero bytes at `position` and appends `count` zero bytes
    // at the end: the outcome of 2 * count zero half-byte insertions in front
    // of the high half of the byte at `position`. False (nothing changed) when
    // the position is not inside the buffer.
    virtual bool OpenZeroGap(int position, int count) = 0;
};
