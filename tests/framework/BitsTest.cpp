#include "framework/Bits.h"

#include <gtest/gtest.h>

#include "support/MessageOf.h"

TEST(Bits, SettingBeyondTheSizeGrowsAndReadingBeyondGivesFalse) {
    TBits bits;
    EXPECT_FALSE(bits.Bit(1000));
    bits.SetBit(70, true);
    EXPECT_EQ(bits.Size(), 71);
    EXPECT_TRUE(bits.Bit(70));
    EXPECT_FALSE(bits.Bit(69));
    bits.SetBit(70, false);
    EXPECT_FALSE(bits.Bit(70));
}

TEST(Bits, CutBitsReadClearWhenTheArrayGrowsAgain) {
    TBits bits;
    for (int i = 0; i < 130; ++i)
        bits.SetBit(i, true);
    bits.SetSize(3);
    EXPECT_TRUE(bits.Bit(2));
    EXPECT_FALSE(bits.Bit(3));
    bits.SetSize(130);
    for (int i = 3; i < 130; ++i)
        ASSERT_FALSE(bits.Bit(i)) << i;
}

TEST(Bits, NegativeIndexOrSizeIsAnError) {
    TBits bits;
    EXPECT_THROW(bits.Bit(-1), EBitsError);
    EXPECT_THROW(bits.SetBit(-1, true), EBitsError);
    EXPECT_THROW(bits.SetSize(-1), EBitsError);
    EXPECT_EQ(MessageOf<EBitsError>([&] { bits.Bit(-5); }), "Bits index out of range");
}
