#pragma once

#include <string>

#include "VectorBuffer.h"
#include "app/ExifHead.h"

// A small JPEG as the camera writes it: start of image, an APP0 of the given
// length (hex), a quantisation table segment, start of scan, a little scan
// data and end of image.
inline std::string PlainJpeg(const std::string& app0Length = "00 10") {
    return HexBytes("FF D8 FF E0" + app0Length) + "JFIF" + std::string(10, '\x01') +
           HexBytes("FF DB 00 04 AA BB FF DA 00 02 12 34 56 FF D9");
}

// The same JPEG with an EXIF APP1 segment behind its APP0.
inline std::string JpegWithExifAfterApp0() {
    std::string jpeg = PlainJpeg();
    return jpeg.substr(0, 20) + HexBytes("FF E1 00 10") + std::string("Exif\0\0", 6) + "IIxxxx" +
           jpeg.substr(20);
}

// A photo as the stamp command writes it for the date text.
inline std::string StampedJpeg(const std::string& input, const std::string& date) {
    return ExifHead(date) + input.substr(4) + std::string(kExifHeadGap, '\0');
}
