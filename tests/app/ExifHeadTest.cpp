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
    return StampedJpeg(input, "2007:06:15 12:30:00");
}

}  // namespace

TEST(ExifHead, HeadIsByteForByteTheTable) {
    EXPECT_EQ(ExifHead("2007:06:15 12:30:00"), ExpectedHead());
    EXPECT_EQ(ExifHead("2007:06:15 12:30:00").size(), std::size_t(kExifHeadEnd));
}

TEST(ExifHead, StampedPhotoShowsItsHeadToTheTests) {
    VectorBuffer stamped(Stamped(PlainJpeg()));
    EXPECT_EQ(stamped.Get(5), 0x8C);
    EXPECT_EQ(stamped.Get(6), 0x45);  // what the header test of a second run looks for
    EXPECT_TRUE(HasExifSegment(stamped));
}

TEST(ExifHead, OwnHeadIsKnownByItsEveryByteAndItsTail) {
    const std::string stamped = Stamped(PlainJpeg());
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(stamped)), "2007:06:15 12:30:00");
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(Stamped(PlainJpeg("00 12")))), "2007:06:15 12:30:00");
    // Any byte of the head changed (a date slot alone too: the three differ
    // then), any byte of the zero tail, or the file cut or grown: not ours.
    for (std::size_t at = 0; at < 146; ++at) {
        std::string changed = stamped;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        EXPECT_EQ(OwnExifHeadDate(VectorBuffer(changed)), std::nullopt) << at;
    }
    for (std::size_t at = stamped.size() - 142; at < stamped.size(); ++at) {
        std::string changed = stamped;
        changed[at] = 'x';
        EXPECT_EQ(OwnExifHeadDate(VectorBuffer(changed)), std::nullopt) << at;
    }
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(stamped.substr(0, stamped.size() - 1))), std::nullopt);
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(stamped + "x")), std::nullopt);
    for (std::size_t size = 0; size < 304; size += 37)
        EXPECT_EQ(OwnExifHeadDate(VectorBuffer(stamped.substr(0, size))), std::nullopt) << size;
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(JpegWithExifAfterApp0() + std::string(300, '\0'))),
              std::nullopt);
}

TEST(ExifHead, DigitsOfAnyDateButNothingElseInTheDateSlots) {
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(StampedJpeg(PlainJpeg(), "1999:12:31 23:59:59"))),
              "1999:12:31 23:59:59");
    EXPECT_EQ(OwnExifHeadDate(VectorBuffer(StampedJpeg(PlainJpeg(), "200f:cd:ab gh:ij:00"))),
              std::nullopt);
}
