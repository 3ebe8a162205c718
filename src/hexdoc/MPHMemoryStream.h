#pragma once

#include <cstdint>

#include "framework/MemoryStream.h"

// The byte document's store: a plain memory stream with position-based access.
// Positions and sizes are signed 32-bit; the document uses the low 32 bits of
// the stream's 64-bit size.
class TMPHMemoryStream : public TMemoryStream {
  public:
    // The address of the byte at `position` (no check: the caller keeps it
    // inside 0 .. size; the address is valid until the size changes).
    std::uint8_t* PointerAt(std::int32_t position) { return Memory() + position; }
    const std::uint8_t* PointerAt(std::int32_t position) const { return Memory() + position; }

    // Moves `count` bytes from `from` to `to` inside the store; the runs may
    // overlap. Both runs must lie inside the store (CheckBounds first).
    void Move(std::int32_t from, std::int32_t to, std::int32_t count);

    // Raises EMPHexEditor "Data position/length out of data bounds" when
    // `endPosition` lies beyond the store's size (or below 0).
    void CheckBounds(std::int64_t endPosition) const;

    // The size as the document counts it: the low 32 bits.
    std::int32_t Size32() const { return static_cast<std::int32_t>(MemorySize()); }
};
