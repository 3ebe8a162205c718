#pragma once

#include <optional>
#include <string>

#include "app/ByteBuffer.h"

// The date a photo's EXIF says it was taken. The EXIF segment (JpegSegments.h)
// holds a TIFF structure: a byte order ("II" little-endian or "MM"
// big-endian), the number 42, and the offset of the first directory (IFD0);
// a directory is a 16-bit entry count, 12-byte entries (tag 16, type 16,
// count 32, value or offset 32) and the offset of the next directory, every
// offset counted from the TIFF structure's start. IFD0 may hold DateTime
// (tag 0x0132) and the offset of the EXIF directory (tag 0x8769), which may
// hold DateTimeOriginal (tag 0x9003); both dates are ASCII texts
// "YYYY:MM:DD HH:MM:SS" and a NUL.

// DateTimeOriginal, else DateTime, as its 19-byte text; nullopt when the
// photo has neither, or no real date there (cameras write zeros or blanks
// for an unknown one). Every offset is checked against the segment and the
// buffer: malformed data give nullopt.
std::optional<std::string> ExifDateTaken(const IByteSource& buffer);
