#include "app/JpegSegments.h"

#include <cstdint>

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kApp0 = 0xE0;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kExifId[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr int kExifIdLength = sizeof kExifId;
constexpr int kShortestStampable = 20;

bool StandsAlone(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

bool BytesAt(const IByteSource& buffer, long long at, const std::uint8_t* bytes, int count) {
    if (at + count > buffer.Size())
        return false;
    for (int i = 0; i < count; ++i) {
        if (buffer.Get(static_cast<int>(at) + i) != bytes[i])
            return false;
    }
    return true;
}

// The segment whose length field starts at `at` is an EXIF APP1.
bool IsExifApp1(const IByteSource& buffer, std::uint8_t marker, long long at, int length) {
    return marker == kApp1 && length >= 2 + kExifIdLength &&
           BytesAt(buffer, at + 2, kExifId, kExifIdLength);
}

}  // namespace

bool StartsWithApp0(const IByteSource& buffer) {
    static constexpr std::uint8_t kStart[] = {kMarker, kStartOfImage, kMarker, kApp0};
    return buffer.Size() >= kShortestStampable && BytesAt(buffer, 0, kStart, 4);
}

bool HasExifSegment(const IByteSource& buffer) {
    static constexpr std::uint8_t kStart[] = {kMarker, kStartOfImage};
    const long long size = buffer.Size();
    if (!BytesAt(buffer, 0, kStart, 2))
        return false;
    long long at = 2;
    while (at < size && buffer.Get(static_cast<int>(at)) == kMarker) {
        while (at < size && buffer.Get(static_cast<int>(at)) == kMarker)
            ++at;
        if (at >= size)
            return false;
        std::uint8_t marker = buffer.Get(static_cast<int>(at++));
        if (marker == kStartOfScan || marker == kEndOfImage || marker == 0)
            return false;
        if (StandsAlone(marker))
            continue;
        if (at + 2 > size)
            return false;
        int length = buffer.Get(static_cast<int>(at)) << 8 | buffer.Get(static_cast<int>(at) + 1);
        if (length < 2)
            return false;
        if (IsExifApp1(buffer, marker, at, length))
            return true;
        at += length;
    }
    return false;
}
