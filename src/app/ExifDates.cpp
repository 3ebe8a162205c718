#include "app/ExifDates.h"

#include <cctype>
#include <cstdint>

#include "app/JpegSegments.h"

namespace {

constexpr std::uint16_t kDateTimeTag = 0x0132;
constexpr std::uint16_t kExifDirectoryTag = 0x8769;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kAsciiType = 2;
constexpr std::uint16_t kLongType = 4;
constexpr int kEntryBytes = 12;
constexpr int kDateBytes = 19;

// The TIFF structure in the segment, read in its byte order.
class TTiffReader {
  public:
    TTiffReader(const IByteSource& buffer, const TExifSpan& span) : buffer_(buffer), span_(span) {}

    // Reads the header; false when it is none.
    bool Start(std::uint32_t& firstDirectory) {
        std::uint8_t first = 0, second = 0;
        if (!Byte(0, first) || !Byte(1, second) || first != second ||
            (first != 'I' && first != 'M'))
            return false;
        bigEndian_ = first == 'M';
        std::uint32_t magic = 0;
        return Number(2, 2, magic) && magic == 42 && Number(4, 4, firstDirectory);
    }

    // The entry of `tag` in the directory at `at`: its type, count and value
    // field's offset.
    bool FindEntry(std::uint32_t at, std::uint16_t tag, std::uint16_t& type, std::uint32_t& count,
                   std::uint64_t& valueAt) const {
        std::uint32_t entries = 0;
        if (!Number(at, 2, entries))
            return false;
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint64_t entry = std::uint64_t(at) + 2 + std::uint64_t(i) * kEntryBytes;
            std::uint32_t entryTag = 0, entryType = 0;
            if (!Number(entry, 2, entryTag) || !Number(entry + 2, 2, entryType) ||
                !Number(entry + 4, 4, count))
                return false;
            if (entryTag == tag) {
                type = static_cast<std::uint16_t>(entryType);
                valueAt = entry + 8;
                return true;
            }
        }
        return false;
    }

    // The date text of the ASCII entry `tag` in the directory at `at`.
    std::optional<std::string> Date(std::uint32_t at, std::uint16_t tag) const {
        std::uint16_t type = 0;
        std::uint32_t count = 0, offset = 0;
        std::uint64_t valueAt = 0;
        if (!FindEntry(at, tag, type, count, valueAt) || type != kAsciiType || count < kDateBytes ||
            !Number(valueAt, 4, offset))
            return std::nullopt;
        std::string text;
        for (int i = 0; i < kDateBytes; ++i) {
            std::uint8_t c = 0;
            if (!Byte(static_cast<std::uint64_t>(offset) + i, c))
                return std::nullopt;
            text += static_cast<char>(c);
        }
        return text;
    }

    // The offset the LONG entry `tag` in the directory at `at` holds.
    bool Offset(std::uint32_t at, std::uint16_t tag, std::uint32_t& offset) const {
        std::uint16_t type = 0;
        std::uint32_t count = 0;
        std::uint64_t valueAt = 0;
        return FindEntry(at, tag, type, count, valueAt) && type == kLongType && count == 1 &&
               Number(valueAt, 4, offset);
    }

  private:
    bool Byte(std::uint64_t at, std::uint8_t& value) const {
        if (at >= static_cast<std::uint64_t>(span_.length))
            return false;
        value = buffer_.Get(span_.start + static_cast<int>(at));
        return true;
    }
    bool Number(std::uint64_t at, int bytes, std::uint32_t& value) const {
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            std::uint8_t byte = 0;
            if (!Byte(at + static_cast<std::uint64_t>(bigEndian_ ? i : bytes - 1 - i), byte))
                return false;
            value = value << 8 | byte;
        }
        return true;
    }

    const IByteSource& buffer_;
    const TExifSpan span_;
    bool bigEndian_ = false;
};

// "YYYY:MM:DD HH:MM:SS" with a month and a day: not the zeros or blanks of an
// unknown date.
bool IsRealDate(const std::string& text) {
    for (int i = 0; i < kDateBytes; ++i) {
        const char expected = i == 4 || i == 7     ? ':'
                              : i == 10            ? ' '
                              : i == 13 || i == 16 ? ':'
                                                   : '0';
        if (expected == '0' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                            : text[i] != expected)
            return false;
    }
    return text.compare(5, 2, "00") != 0 && text.compare(8, 2, "00") != 0;
}

}  // namespace

std::optional<std::string> ExifDateTaken(const IByteSource& buffer) {
    const std::optional<TExifSpan> span = FindExifSegment(buffer);
    if (!span)
        return std::nullopt;
    TTiffReader tiff(buffer, *span);
    std::uint32_t first = 0, exif = 0;
    if (!tiff.Start(first))
        return std::nullopt;
    std::optional<std::string> date;
    if (tiff.Offset(first, kExifDirectoryTag, exif))
        date = tiff.Date(exif, kDateTimeOriginalTag);
    if (!date || !IsRealDate(*date))
        date = tiff.Date(first, kDateTimeTag);
    if (!date || !IsRealDate(*date))
        return std::nullopt;
    return date;
}
