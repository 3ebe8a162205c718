#include "chrome/Lightness.h"

#include <gtest/gtest.h>

TEST(AdjustColorLightness, ZeroAmountReturnsTheColourAsGiven) {
    EXPECT_EQ(AdjustColorLightness(clBtnShadow, 0), clBtnShadow);
    EXPECT_EQ(AdjustColorLightness(clNone, 0), clNone);
}

TEST(AdjustColorLightness, GreysMoveInLightnessSteps) {
    UseClassicColorScheme();
    // 0x80 is lightness 120 of 240; +30 gives 150 -> 159.4 -> 159.
    EXPECT_EQ(AdjustColorLightness(clBtnShadow, 30), RGB(159, 159, 159));
    EXPECT_EQ(AdjustColorLightness(RGB(128, 128, 128), -30), RGB(96, 96, 96));
    EXPECT_EQ(AdjustColorLightness(clWhite, 100), clWhite);  // lightness capped, channels saturate
    EXPECT_EQ(AdjustColorLightness(clBlack, -10), clBlack);
    EXPECT_EQ(AdjustColorLightness(RGB(200, 200, 200), 60), clWhite);
}

TEST(AdjustColorLightness, HueIsConvertedBackOver239) {
    // Blue is hue 160, saturation 240, lightness 120. Hue 160/239 lies just
    // past two thirds, so red gets a little more than green.
    EXPECT_EQ(AdjustColorLightness(clBlue, 60), RGB(130, 128, 255));
}
