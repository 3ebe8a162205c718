#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/ByteBuffer.h"

// Bytes over a string, for tests of what reads a photo's head. Reads outside
// the bytes fail the test.
class VectorBuffer : public IByteSource {
  public:
    explicit VectorBuffer(std::string bytes) : bytes_(std::move(bytes)) {}

    int Size() const override { return static_cast<int>(bytes_.size()); }
    std::uint8_t Get(int position) const override {
        EXPECT_TRUE(InRange(position)) << "read at " << position << " of " << bytes_.size();
        return InRange(position) ? static_cast<std::uint8_t>(bytes_[position]) : 0;
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
