#pragma once

#include <cstdint>
#include <vector>

#include "framework/Stream.h"

// A stream over one contiguous, growable block of memory that it owns.
// Writing past the end grows it; Memory() stays valid until the size changes.
class TMemoryStream : public TStream {
  public:
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;
    std::int64_t Size() override { return MemorySize(); }
    std::int64_t MemorySize() const { return static_cast<std::int64_t>(bytes_.size()); }

    // The first byte of the block (nullptr-safe only while the size is not 0).
    std::uint8_t* Memory() { return bytes_.data(); }
    const std::uint8_t* Memory() const { return bytes_.data(); }
    // Empties the stream: size and position 0.
    void Clear();

  private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};
