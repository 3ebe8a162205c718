#include "app/JpegSegments.h"

#include <gtest/gtest.h>

#include "VectorBuffer.h"

namespace {

const std::string kApp0 = HexBytes("FF E0 00 10") + "JFIF" + std::string(10, '\0');
const std::string kExifApp1 = HexBytes("FF E1 00 10") + std::string("Exif\0\0", 6) + "IIxxxx";
const std::string kScan = HexBytes("FF DA 00 02 12 34 FF D9");
const std::string kStart = HexBytes("FF D8");

bool HasExif(const std::string& bytes) {
    return HasExifSegment(VectorBuffer(bytes));
}

}  // namespace

TEST(StartsWithApp0, OnlyJpegsOpeningWithApp0AndLongEnough) {
    EXPECT_TRUE(StartsWithApp0(VectorBuffer(kStart + kApp0)));
    EXPECT_TRUE(StartsWithApp0(VectorBuffer((kStart + kApp0).substr(0, 20))));
    EXPECT_FALSE(StartsWithApp0(VectorBuffer((kStart + kApp0).substr(0, 19))));
    EXPECT_FALSE(StartsWithApp0(VectorBuffer(kStart + kExifApp1 + kApp0)));
    EXPECT_FALSE(StartsWithApp0(VectorBuffer(HexBytes("00 00 00 18") + "ftypmp42" + kApp0)));
    EXPECT_FALSE(StartsWithApp0(VectorBuffer("")));
}

TEST(HasExifSegment, FindsExifApp1AnywhereBeforeTheScan) {
    EXPECT_TRUE(HasExif(kStart + kExifApp1 + kApp0 + kScan));
    EXPECT_TRUE(HasExif(kStart + kApp0 + kExifApp1 + kScan));
    EXPECT_TRUE(HasExif(kStart + kApp0 + HexBytes("FF FF FF") + kExifApp1.substr(1) + kScan));
    EXPECT_TRUE(HasExif(kStart + HexBytes("FF D0") + kApp0 + kExifApp1));  // stand-alone marker
}

TEST(HasExifSegment, IgnoresOtherSegmentsAndWhatFollowsTheScan) {
    std::string xmp = HexBytes("FF E1 00 0C") + "http://ns.a";
    EXPECT_FALSE(HasExif(kStart + kApp0 + xmp.substr(0, 4 + 10) + kScan));
    EXPECT_FALSE(HasExif(kStart + kApp0 + kScan + kExifApp1));
    EXPECT_FALSE(HasExif(kStart + kApp0 + HexBytes("FF D9") + kExifApp1));
    // "Exif" must lie inside the segment: an APP1 of length 6 holds only "Exif".
    EXPECT_FALSE(HasExif(kStart + HexBytes("FF E1 00 06") + std::string("Exif\0\0", 6) + kScan));
    EXPECT_FALSE(HasExif(kApp0 + kExifApp1));  // no start of image
}

TEST(HasExifSegment, MalformedStreamsEndTheWalk) {
    EXPECT_FALSE(HasExif(kStart + HexBytes("FF E0 00 01") + kExifApp1));  // length below 2
    EXPECT_FALSE(HasExif(kStart + HexBytes("FF E0 00 00") + kExifApp1));
    EXPECT_FALSE(HasExif(kStart + HexBytes("12 34") + kExifApp1));  // no marker where one belongs
    EXPECT_FALSE(HasExif(kStart + HexBytes("FF 00") + kExifApp1));
    EXPECT_FALSE(
        HasExif(kStart + HexBytes("FF E0 FF FF") + kExifApp1));  // length runs past the end
}

TEST(HasExifSegment, EveryTruncationIsSafe) {
    std::string full = kStart + kApp0 + kExifApp1 + kScan;
    const std::size_t identifierEnd = kStart.size() + kApp0.size() + 4 + 6;
    for (std::size_t length = 0; length <= full.size(); ++length)
        EXPECT_EQ(HasExif(full.substr(0, length)), length >= identifierEnd) << length;
}
