#include "app/ExifDates.h"

#include <gtest/gtest.h>

#include <optional>

#include "PhotoFiles.h"
#include "VectorBuffer.h"

namespace {

std::string Number(std::uint32_t value, int bytes, bool bigEndian) {
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
        text += static_cast<char>((value >> shift) & 0xFF);
    }
    return text;
}

// A JPEG whose EXIF segment, right after its start, holds DateTime in IFD0
// and DateTimeOriginal in the EXIF directory, each where given; the pointer
// to the EXIF directory may be set to point elsewhere.
std::string ExifJpeg(bool bigEndian, std::optional<std::string> dateTime,
                     std::optional<std::string> original,
                     std::optional<std::uint32_t> exifPointer = std::nullopt) {
    auto n = [bigEndian](std::uint32_t value, int bytes) {
        return Number(value, bytes, bigEndian);
    };
    const std::uint32_t entries = (dateTime ? 1 : 0) + (original ? 1 : 0);
    const std::uint32_t exif = 8 + 2 + 12 * entries + 4;
    std::uint32_t data = exif + (original ? 2 + 12 + 4 : 0);
    std::string tiff = (bigEndian ? "MM" : "II") + n(42, 2) + n(8, 4) + n(entries, 2);
    if (dateTime) {
        tiff += n(0x0132, 2) + n(2, 2) + n(20, 4) + n(data, 4);
        data += 20;
    }
    if (original)
        tiff += n(0x8769, 2) + n(4, 2) + n(1, 4) + n(exifPointer.value_or(exif), 4);
    tiff += n(0, 4);
    if (original)
        tiff += n(1, 2) + n(0x9003, 2) + n(2, 2) + n(20, 4) + n(data, 4) + n(0, 4);
    if (dateTime)
        tiff += *dateTime + '\0';
    if (original)
        tiff += *original + '\0';
    const std::string segment = std::string("Exif\0\0", 6) + tiff;
    return HexBytes("FF D8 FF E1") +
           Number(static_cast<std::uint32_t>(segment.size() + 2), 2, true) + segment +
           PlainJpeg().substr(2);
}

}  // namespace

// The original date wins over the file's date in either byte order; dates
// that are no dates, and directories or texts outside the segment, are
// passed over.
TEST(ExifDateTaken, ReadsTheOriginalDateElseTheFilesDate) {
    const std::string kDate = "2007:06:15 12:30:00";
    const std::string kOriginal = "2006:01:02 03:04:05";
    const std::string kZeros = "0000:00:00 00:00:00";
    const std::string kBlanks = "    :  :     :  :  ";
    const std::string both = ExifJpeg(false, kDate, kOriginal);
    const struct {
        const char* what;
        std::string bytes;
        std::optional<std::string> date;
    } cases[] = {
        {"our own head", StampedJpeg(PlainJpeg(), kDate), kDate},
        {"little-endian, both", both, kOriginal},
        {"big-endian, both", ExifJpeg(true, kDate, kOriginal), kOriginal},
        {"big-endian, file date only", ExifJpeg(true, kDate, std::nullopt), kDate},
        {"original date unknown (zeros)", ExifJpeg(false, kDate, kZeros), kDate},
        {"only blanks", ExifJpeg(true, std::nullopt, kBlanks), std::nullopt},
        {"EXIF directory past the end", ExifJpeg(false, kDate, kOriginal, 0xFFFFFFF0), kDate},
        {"cut inside the original date", both.substr(0, both.find(kOriginal) + 5), kDate},
        {"cut inside the directory", both.substr(0, 30), std::nullopt},
        {"not a TIFF structure", JpegWithExifAfterApp0(), std::nullopt},
        {"no EXIF", PlainJpeg(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExifDateTaken(VectorBuffer(c.bytes)), c.date) << c.what;
}
