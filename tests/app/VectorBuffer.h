#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/ByteBuffer.h"

// A byte buffer over a string, for tests of what is written into or read
// from the byte document. Reads and writes outside the bytes fail the test.
class VectorBuffer : public IByteBuffer {
  public:
    explicit VectorBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
    const std::string& Bytes() const { return bytes_; }

    int Size() const override { return static_cast<int>(bytes_.size()); }
    std::uint8_t Get(int position) const override {
        EXPECT_TRUE(InRange(position)) << "read at " << position << " of " << bytes_.size();
        return InRange(position) ? static_cast<std::uint8_t>(bytes_[position]) : 0;
    }
    void Set(int position, std::uint8_t value) override {
        ASSERT_TRUE(InRange(position)) << "write at " << position << " of " << bytes_.size();
        bytes_[position] = static_cast<char>(value);
    }
    bool OpenZeroGap(int position, int count) override {
        if (!InRange(position))
            return false;
        bytes_.insert(position, count, '\0');
        bytes_.append(count, '\0');
        return true;
    }

  private:
    bool InRange(int position) const {
        return position >= 0 && position < static_cast<int>(bytes_.size());
    }
    std::string bytes_;
};

// Bytes from hex text; blanks are ignored ("FF D8 FF E0").
inline std::string HexBytes(const std::string& hex) {
    std::string bytes;
    std::string digits;
    for (char c : hex) {
        if (c == ' ' || c == '\n')
            continue;
        digits += c;
        if (digits.size() == 2) {
            bytes += static_cast<char>(std::stoi(digits, nullptr, 16));
            digits.clear();
        }
    }
    return bytes;
}
