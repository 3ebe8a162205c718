#include "platform/FileDropBlock.h"

#include <cstring>

#include "platform/LittleEndian.h"

std::string WriteFileDropBlock(const std::vector<std::string>& names) {
    std::string block(kFileDropHeaderSize, '\0');
    PutLittle<std::uint32_t>(block, 0, kFileDropHeaderSize);
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
    std::uint32_t first = ReadLittle<std::uint32_t>(block);
    if (first < kFileDropHeaderSize || first >= size || ReadLittle<std::uint32_t>(block + 16) != 0)
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
