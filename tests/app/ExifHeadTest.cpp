#include "app/ExifHead.h"

#include <gtest/gtest.h>

#include "PhotoFiles.h"
#include "VectorBuffer.h"
#include "app/JpegSegments.h"

namespace {

// "2007:06:15 12:30:00" and its NUL, as the name 15-06-07_1230 gives it.
const std::string kDate = HexBytes("32 30 30 37 3A 30 36 3A 31 35 20 31 32 3A 33 30 3A 30 30 00");

// File offsets 0-145 of a stamped photo, row by row as the head's table lists them.
std::string ExpectedHead() {
    return HexBytes("FF D8 FF E1 00 8C 45 78 69 66 00 00 49 49 2A 00 08 00 00 00") +  // 0-19
           HexBytes("02 00 32 01 02 00 14 00 00 00 26 00 00 00") +                    // 20-33
           HexBytes("69 87 04 00 01 00 00 00 3A 00 00 00 00 00 00 00") +              // 34-49
           kDate +                                                                    // 50-69
           HexBytes("02 00 03 90 02 00 14 00 00 00 58 00 00 00") +                    // 70-83
           HexBytes("04 90 02 00 14 00 00 00 6C 00 00 00 00 00 00 00") +              // 84-99
           kDate + kDate +                                                            // 100-139
           HexBytes("00 00 00 00 FF E0");                                             // 140-145
}

std::string Stamped(const std::string& input) {
    VectorBuffer buffer(input);
    EXPECT_TRUE(WriteExifHead(buffer, "2007:06:15 12:30:00"));
    return buffer.Bytes();
}

}  // namespace

TEST(ExifHead, WritesTheHeadByteForByte) {
    std::string input = PlainJpeg();
    std::string output = Stamped(input);
    ASSERT_EQ(output.size(), input.size() + kExifHeadGrowth);
    EXPECT_EQ(output.substr(0, 146), ExpectedHead());
    EXPECT_EQ(output.substr(146, input.size() - 4), input.substr(4));
    EXPECT_EQ(output.substr(142 + input.size()), std::string(142, '\0'));
}

TEST(ExifHead, KeepsTheApp0LengthAsLoaded) {
    std::string input = PlainJpeg("00 12");
    std::string output = Stamped(input);
    EXPECT_EQ(output.substr(144, 4), HexBytes("FF E0 00 12"));
}

TEST(ExifHead, StampedPhotoShowsItsHeadToTheTests) {
    VectorBuffer stamped(Stamped(PlainJpeg()));
    EXPECT_EQ(stamped.Get(5), 0x8C);
    EXPECT_EQ(stamped.Get(6), 0x45);  // what the header test of a second run looks for
    EXPECT_TRUE(HasExifSegment(stamped));
}

TEST(ExifHead, BufferTooShortForTheGapIsLeftAlone) {
    VectorBuffer buffer(HexBytes("FF D8 FF E0"));
    EXPECT_FALSE(WriteExifHead(buffer, "2007:06:15 12:30:00"));
    EXPECT_EQ(buffer.Bytes(), HexBytes("FF D8 FF E0"));
}
