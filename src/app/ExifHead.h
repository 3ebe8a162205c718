#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/ByteBuffer.h"

// The head written into every stamped photo. A plain JPEG that starts
// FF D8 FF E0 (start of image, APP0) becomes one that starts with an EXIF
// APP1 segment carrying three date fields, followed by its own APP0 segment
// and the rest of its stream; the file grows by kExifHeadGrowth bytes: the
// head's kExifHeadEnd bytes take the place of the photo's first four, and
// kExifHeadGap zero bytes follow its last.
//
// File offsets of the result (TIFF offsets count from file offset 12; the
// TIFF part is little-endian, the two JPEG segment lengths big-endian):
//    0-1    FF D8        start of image
//    2-5    FF E1 00 8C  APP1 marker, segment length 140 (data 6-143)
//    6-11   "Exif" 00 00 identifier
//   12-19   49 49 2A 00 08 00 00 00   TIFF header "II", 42, IFD0 at 8
//   20-21   02 00        IFD0: 2 entries
//   22-33   32 01 02 00 14 00 00 00 26 00 00 00   DateTime, ASCII, 20, at 38
//   34-45   69 87 04 00 01 00 00 00 3A 00 00 00   EXIF IFD pointer, LONG, 1, 58
//   46-49   00 00 00 00  no next IFD
//   50-69   date text + NUL (DateTime)
//   70-71   02 00        EXIF IFD: 2 entries
//   72-83   03 90 02 00 14 00 00 00 58 00 00 00   DateTimeOriginal, ASCII, 20, at 88
//   84-95   04 90 02 00 14 00 00 00 6C 00 00 00   DateTimeDigitized, ASCII, 20, at 108
//   96-99   00 00 00 00  no next IFD
//  100-119  date text + NUL (DateTimeOriginal)
//  120-139  date text + NUL (DateTimeDigitized)
//  140-143  00 00 00 00  fill to the end of APP1
//  144-145  FF E0        the input's APP0 marker again
//  146-     the input from its offset 4 on (APP0 length as loaded, payload,
//           further segments), unchanged
//  then     142 zero bytes, which JPEG readers ignore
// Date text: 19 bytes "YYYY:MM:DD HH:MM:SS" (see DateText in PhotoName.h).
//
// The photo as it was before, which the head is taken out for again: the
// bytes FF D8 FF E0 (the only start a stamped photo had), then the stamped
// file from kExifHeadEnd up to its last kExifHeadGap bytes.

constexpr int kExifHeadGap = 142;
constexpr int kExifHeadGrowth = 2 * kExifHeadGap;
constexpr int kExifHeadEnd = 146;
constexpr std::uint8_t kPlainJpegStart[] = {0xFF, 0xD8, 0xFF, 0xE0};

// Offsets 0-145 of the stamped photo for this date.
// REQUIRES: dateText is 19 bytes.
std::string ExifHead(const std::string& dateText);

// The date text of the head when the bytes begin with exactly the head that
// ExifHead gives (three equal date texts of digits, any date) and end
// with its kExifHeadGap zero bytes, with at least the shortest stamped photo
// between; nullopt for anything else, another program's EXIF included.
std::optional<std::string> OwnExifHeadDate(const IByteSource& bytes);
