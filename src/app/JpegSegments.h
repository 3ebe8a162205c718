#pragma once

#include <optional>

#include "app/ByteBuffer.h"

// What the stamp command must know of a photo's JPEG structure before it
// rewrites it. A JPEG stream is FF D8 (start of image) followed by segments:
// FF, any number of FF fill bytes, a marker byte, then - except for the
// stand-alone markers 01 and D0-D7 - a big-endian 16-bit length that counts
// itself and the segment's data. FF DA (start of scan) begins the entropy-coded
// image data, where the segment walk ends; FF D9 ends the image.

// True when the buffer holds at least 20 bytes and starts FF D8 FF E0: a JPEG
// whose first segment is APP0, the only kind the EXIF head fits.
bool StartsWithApp0(const IByteSource& buffer);

// True when some segment before the start of scan is an APP1 whose data
// begin "Exif" 00 00. Every step is checked against the buffer's end: a
// truncated or malformed stream ends the walk with what was found so far.
bool HasExifSegment(const IByteSource& buffer);

// The data of the first EXIF APP1 segment (found as HasExifSegment finds
// it) after its "Exif" 00 00: the TIFF structure, `length` bytes from
// `start`, cut at the buffer's end.
struct TExifSpan {
    int start = 0;
    int length = 0;
};
std::optional<TExifSpan> FindExifSegment(const IByteSource& buffer);

// Whether the stamp command writes its head into a photo with these first
// bytes: a plain JPEG starting with APP0 (StartsWithApp0), not marked as
// carrying a header at bytes 5 and 6, without an EXIF segment.
bool IsStampableHead(const IByteSource& buffer);
