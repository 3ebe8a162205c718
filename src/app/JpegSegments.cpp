#include "app/JpegSegments.h"

#include <algorithm>
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
// Bytes 5 and 6 of a file that already carries a header (an EXIF APP1 at
// offset 2 shows 'E' at 6) or whose APP0 is not of the kind stamped.
constexpr std::uint8_t kHeaderByte5 = 0x4C;
constexpr std::uint8_t kHeaderByte6 = 0x45;

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
    return FindExifSegment(buffer).has_value();
}

bool IsStampableHead(const IByteSource& buffer) {
    if (!StartsWithApp0(buffer))
        return false;
    if (buffer.Get(5) == kHeaderByte5 || buffer.Get(6) == kHeaderByte6)
        return false;
    return !HasExifSegment(buffer);
}

std::optional<TExifSpan> FindExifSegment(const IByteSource& buffer) {
    static constexpr std::uint8_t kStart[] = {kMarker, kStartOfImage};
    const long long size = buffer.Size();
    if (!BytesAt(buffer, 0, kStart, 2))
        return std::nullopt;
    long long at = 2;
    while (at < size && buffer.Get(static_cast<int>(at)) == kMarker) {
        while (at < size && buffer.Get(static_cast<int>(at)) == kMarker)
            ++at;
        if (at >= size)
            return std::nullopt;
        std::uint8_t marker = buffer.Get(static_cast<int>(at++));
        if (marker == kStartOfScan || marker == kEndOfImage || marker == 0)
            return std::nullopt;
        if (StandsAlone(marker))
            continue;
        if (at + 2 > size)
            return std::nullopt;
        int length = buffer.Get(static_cast<int>(at)) << 8 | buffer.Get(static_cast<int>(at) + 1);
        if (length < 2)
            return std::nullopt;
        if (IsExifApp1(buffer, marker, at, length)) {
            const long long start = at + 2 + kExifIdLength;
            const long long end = std::min(at + length, size);
            return TExifSpan{static_cast<int>(start), static_cast<int>(end - start)};
        }
        at += length;
    }
    return std::nullopt;
}
