#include "hexdoc/MPHOffsetFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "hexdoc/MPHexEditorError.h"
#include "support/MessageOf.h"

namespace {

std::string ParseError(const std::string& format) {
    return MessageOf<EMPHexEditor>([&] { TMPHOffsetFormat::Parse(format); });
}

}  // namespace

TEST(OffsetFormat, ProgramFormatIsAutomaticHexWithPrefix) {
    TMPHOffsetFormat format = TMPHOffsetFormat::Parse("-!10:0x|");
    EXPECT_EQ(format.Flags,
              TMPHOffsetFormat::kAutoWidth | TMPHOffsetFormat::kUnitRulerBytesPerUnit);
    EXPECT_EQ(format.Radix, 16);
    EXPECT_EQ(format.Prefix, "0x");
    EXPECT_EQ(format.Suffix, "");
    format.MinDigits = 3;
    EXPECT_EQ(format.Format(0x120, 1, false), "0x120");
    EXPECT_EQ(format.Format(0, 1, false), "0x000");
}

TEST(OffsetFormat, UnitAndWidthParts) {
    TMPHOffsetFormat rows = TMPHOffsetFormat::Parse("r%10:|");
    EXPECT_EQ(rows.Flags, TMPHOffsetFormat::kUnitBytesPerRow);
    EXPECT_EQ(rows.Format(32, 16, false), "2");
    TMPHOffsetFormat columns = TMPHOffsetFormat::Parse("C%4!a:<|>");
    EXPECT_EQ(columns.Flags, TMPHOffsetFormat::kUnitBytesPerColumn);
    EXPECT_EQ(columns.MinDigits, 4);
    EXPECT_EQ(columns.Radix, 10);
    EXPECT_EQ(columns.Format(246, 2, false), "<0123>");
    TMPHOffsetFormat words = TMPHOffsetFormat::Parse("4%!2:|");
    EXPECT_EQ(words.Flags, 0);
    EXPECT_EQ(words.Unit, 4);
    EXPECT_EQ(words.MinDigits, 1);
    EXPECT_EQ(words.Format(20, words.Unit, false), "101");
    EXPECT_EQ(TMPHOffsetFormat::Parse("%10:|").Flags, TMPHOffsetFormat::kUnitRulerBytesPerUnit);
}

TEST(OffsetFormat, ZeroWidthWritesNothingForZero) {
    TMPHOffsetFormat format = TMPHOffsetFormat::Parse("0!10:$|h");
    EXPECT_EQ(format.Format(0, 1, false), "$h");
    EXPECT_EQ(format.Format(0xAB, 1, true), "$abh");
}

TEST(OffsetFormat, EightDigitsWithSuffix) {
    EXPECT_EQ(TMPHOffsetFormat::Parse("8!10:|h").Format(0x12A, 1, false), "0000012Ah");
}

TEST(OffsetFormat, PrefixMayHoldAnotherBarInSuffix) {
    TMPHOffsetFormat format = TMPHOffsetFormat::Parse("10:a|b|c");
    EXPECT_EQ(format.Prefix, "a");
    EXPECT_EQ(format.Suffix, "b|c");
}

TEST(OffsetFormat, MalformedFormatsNameWhatIsWrong) {
    EXPECT_EQ(ParseError("3%10:|"), "Invalid bytes per unit value 3, allowed: 1,2,4,8");
    EXPECT_EQ(ParseError("10%10:|"), "Invalid bytes per unit value 16, allowed: 1,2,4,8");
    EXPECT_EQ(ParseError("10"), "Missing char in offset format: :");
    EXPECT_EQ(ParseError("10:0x"), "Missing char in offset format: |");
    EXPECT_EQ(ParseError("11:|"), "Invalid radix in offset format (11h), allowed: 02h..10h");
    EXPECT_EQ(ParseError("1:|"), "Invalid radix in offset format (1h), allowed: 02h..10h");
    EXPECT_EQ(ParseError(""), "Missing char in offset format: number radix");
    EXPECT_EQ(ParseError("R%"), "Missing char in offset format: number radix");
    EXPECT_EQ(ParseError("-!:|"), "Missing char in offset format: number radix");
    EXPECT_EQ(ParseError("x10:|"), "Missing char in offset format: number radix");
    EXPECT_EQ(ParseError("FFFFFFFFFFFF:|"),
              "Invalid radix in offset format (7FFFFFFFh), allowed: 02h..10h");
}

TEST(OffsetFormat, HugeWidthIsHeldAtTheLargestUseful) {
    TMPHOffsetFormat format = TMPHOffsetFormat::Parse("FFFFFFFFFFFF!10:|");
    EXPECT_EQ(format.MinDigits, TMPHOffsetFormat::kMaxDigits);
    EXPECT_EQ(format.Format(1, 1, false).size(), std::size_t(TMPHOffsetFormat::kMaxDigits));
}

TEST(OffsetFormat, EveryTruncationParsesOrFailsCleanly) {
    for (std::string full : {"-!10:0x|", "8!10:|h", "R%10:|", "C%4!a:<|>", "4%!2:|", "0!10:$|h"}) {
        for (std::size_t length = 0; length <= full.size(); ++length) {
            std::string cut = full.substr(0, length);
            try {
                TMPHOffsetFormat format = TMPHOffsetFormat::Parse(cut);
                EXPECT_NE(cut.find('|'), std::string::npos) << cut;
                EXPECT_GE(format.Radix, 2);
                EXPECT_LE(format.Radix, 16);
            } catch (const EMPHexEditor& error) {
                EXPECT_EQ(error.Message().rfind("Missing char in offset format: ", 0), 0u)
                    << cut << ": " << error.Message();
            }
        }
    }
}

TEST(OffsetFormat, DigitCountOfTheLargestOffset) {
    TMPHOffsetFormat format = TMPHOffsetFormat::Parse("-!10:|");
    EXPECT_EQ(format.DigitCount(0, 1), 1);
    EXPECT_EQ(format.DigitCount(0xF, 1), 1);
    EXPECT_EQ(format.DigitCount(0x10, 1), 2);
    EXPECT_EQ(format.DigitCount(0x120, 1), 3);
    EXPECT_EQ(format.DigitCount(0x120, 2), 2);
}
