#include "platform/FileDropBlock.h"

#include <cstring>

namespace {

void PutU32(std::string& block, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        block[at + i] = static_cast<char>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (std::uint32_t{at[3]} << 24);
}

}  // namespace

std::string WriteFileDropBlock(const std::vector<std::string>& names) {
    std::string block(kFileDropHeaderSize, '\0');
    PutU32(block, 0, kFileDropHeaderSize);
    for (const std::string& name : names) {
        block += name;
        block += '\0';
    }
    block += '\0';
    return block;
}

bool ReadFileDropBlock(const std::uint8_t* block, std::size_t size,
                       std::vector<std::string>& names) {
    names.clear();
    if (block == nullptr || size < kFileDropHeaderSize)
        return false;
    std::uint32_t first = GetU32(block);
    if (first < kFileDropHeaderSize || first >= size || GetU32(block + 16) != 0)
        return false;
    for (std::size_t at = first; at < size;) {
        const void* end = std::memchr(block + at, 0, size - at);
        if (end == nullptr)
            break;
        std::size_t length = static_cast<const std::uint8_t*>(end) - (block + at);
        if (length == 0)
            return true;
        names.emplace_back(reinterpret_cast<const char*>(block + at), length);
        at += length + 1;
    }
    names.clear();
    return false;
}
