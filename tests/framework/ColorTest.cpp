#include "framework/Color.h"

#include <gtest/gtest.h>

#include "framework/Cursor.h"

TEST(Color, RgbLayoutIsBlueGreenRed) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(GetRValue(clBlue), 0);
    EXPECT_EQ(GetBValue(clBlue), 0xFF);
}

TEST(Color, SystemReferencesResolveThroughTheScheme) {
    UseClassicColorScheme();
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(ColorToRGB(clBtnShadow), RGB(0x80, 0x80, 0x80));
    EXPECT_EQ(ColorToRGB(cl3DDkShadow), RGB(0x40, 0x40, 0x40));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(0x0A, 0x24, 0x6A));
    EXPECT_EQ(ColorToRGB(clInactiveCaptionText), RGB(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(ColorToRGB(clMaroon), clMaroon);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_FALSE(IsSystemColor(clNone));
}

TEST(Cursor, ScopeRestoresThePreviousCursorEvenOnException) {
    try {
        TCursorScope busy(crHourGlass);
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        {
            TCursorScope inner(crIBeam);
            EXPECT_EQ(Screen->Cursor(), crIBeam);
        }
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
}
