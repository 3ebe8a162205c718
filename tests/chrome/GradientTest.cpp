#include "chrome/Gradient.h"

#include <gtest/gtest.h>

#include "Pixels.h"

namespace {

constexpr TColor kGround = RGB(0x11, 0x22, 0x33);
constexpr TGradientDirection kAllDirections[] = {
    gdDiagonalUp,  gdDiagonalDown,   gdHorizontalEnd, gdHorizontalCenter, gdHorizontalBox,
    gdVerticalEnd, gdVerticalCenter, gdVerticalBox,   gdSquareBox,        gdBigSquareBox,
};

TBitmap Paint(TGradientDirection direction, int width, int height, TColor start = clWhite,
              TColor stop = clBlue) {
    TBitmap picture(width, height, kGround);
    TCanvas canvas(picture);
    FillGradient(canvas, Rect(0, 0, width, height), direction, start, stop, 1);
    return picture;
}

// A grey whose three channels are v.
constexpr TColor Grey(int v) {
    return RGB(std::uint8_t(v), std::uint8_t(v), std::uint8_t(v));
}

// The white-to-blue colour whose red and green channels are v.
constexpr TColor Bluish(int v) {
    return RGB(std::uint8_t(v), std::uint8_t(v), 255);
}

TEST(GradientRun, FixedPointStepsRoundToNearestAndHitBothEnds) {
    EXPECT_EQ(GradientRun(5, clBlack, clWhite, 1),
              (std::vector<TColor>{Grey(0), Grey(64), Grey(128), Grey(191), Grey(255)}));
    // Falling by 1 over 4 lines: the step truncates to -21845 / 65536.
    EXPECT_EQ(GradientRun(4, Grey(1), Grey(0), 1),
              (std::vector<TColor>{Grey(1), Grey(1), Grey(0), Grey(0)}));
    EXPECT_EQ(GradientRun(1, clRed, clBlue, 1), (std::vector<TColor>{clRed}));
    EXPECT_TRUE(GradientRun(0, clRed, clBlue, 1).empty());
}

TEST(GradientRun, ManyColourStepsHoldEachBandForAMinimumOfLines) {
    // 16 steps: a band lasts at least 255 div 16 + 1 = 16 lines.
    const std::vector<TColor> run = GradientRun(64, clBlack, clWhite, 16);
    EXPECT_EQ(std::vector<TColor>(run.begin(), run.begin() + 16), Solid(Grey(0), 16));
    EXPECT_EQ(run[16], Grey(65));  // 16 * 255 / 63 = 64.8
    EXPECT_EQ(run[31], Grey(65));
    EXPECT_EQ(run[32], Grey(130));
    // 8 steps or fewer: every change starts a band.
    EXPECT_EQ(GradientRun(64, clBlack, clWhite, 8)[1], Grey(4));
}

TEST(FillGradient, HorizontalEndRunsFromStartAtTheTopToStopAtTheBottom) {
    const TBitmap p = Paint(gdHorizontalEnd, 64, 40);
    EXPECT_EQ(RowOf(p, 0, 0, 64), Solid(clWhite, 64));
    EXPECT_EQ(RowOf(p, 39, 0, 64), Solid(clBlue, 64));
    for (int y = 0; y < 40; ++y) {  // the 8-pixel strip is repeated across
        EXPECT_EQ(RowOf(p, y, 0, 64), Solid(p.Pixel(0, y), 64)) << y;
    }
    // Over 40 lines from the bottom: line i (row 39 - i) has 255 * i / 39.
    EXPECT_EQ(p.Pixel(5, 29), Bluish(65));   // i = 10: 65.38
    EXPECT_EQ(p.Pixel(5, 10), Bluish(190));  // i = 29: 189.6
}

TEST(FillGradient, BandBoundariesFollowTheRoundedSteps) {
    TBitmap p(3, 4, kGround);
    {
        TCanvas canvas(p);
        FillGradient(canvas, Rect(0, 0, 3, 4), gdHorizontalEnd, Grey(0), Grey(1), 1);
    }
    EXPECT_EQ(ColumnOf(p, 1, 0, 4), (std::vector<TColor>{Grey(0), Grey(0), Grey(1), Grey(1)}));
}

TEST(FillGradient, HorizontalCenterHasStopInTheTwoMiddleRows) {
    for (int h : {40, 9}) {
        const TBitmap p = Paint(gdHorizontalCenter, 20, h);
        EXPECT_EQ(p.Pixel(3, 0), clWhite) << h;
        EXPECT_EQ(p.Pixel(19, h - 1), clWhite) << h;
        EXPECT_EQ(p.Pixel(3, h / 2), clBlue) << h;
        EXPECT_EQ(p.Pixel(19, h / 2 + 1), clBlue) << h;
        EXPECT_NE(p.Pixel(3, h / 2 - 1), clBlue) << h;
        EXPECT_NE(p.Pixel(3, h / 2 + 2), clBlue) << h;
    }
}

TEST(FillGradient, VerticalDirectionsRunAcrossColumns) {
    const TBitmap end = Paint(gdVerticalEnd, 64, 40);
    EXPECT_EQ(ColumnOf(end, 0, 0, 40), Solid(clWhite, 40));
    EXPECT_EQ(ColumnOf(end, 63, 0, 40), Solid(clBlue, 40));
    EXPECT_EQ(ColumnOf(end, 30, 0, 40), Solid(end.Pixel(30, 0), 40));

    const TBitmap centre = Paint(gdVerticalCenter, 64, 40);
    EXPECT_EQ(ColumnOf(centre, 0, 0, 40), Solid(clWhite, 40));
    EXPECT_EQ(ColumnOf(centre, 63, 0, 40), Solid(clWhite, 40));
    EXPECT_EQ(ColumnOf(centre, 32, 0, 40), Solid(clBlue, 40));
    EXPECT_EQ(ColumnOf(centre, 33, 0, 40), Solid(clBlue, 40));
    EXPECT_NE(centre.Pixel(31, 20), clBlue);
}

TEST(FillGradient, SquareBoxBandsAreComputedOnAQuarterAndMirrored) {
    // 64 x 40: quarter 32 x 20, half sizes 31 and 19, 32 bands. The half-width
    // shrinks by 63488 / 65536 and the half-height by 38912 / 65536 per band.
    const TBitmap p = Paint(gdSquareBox, 64, 40);
    for (TPoint centre : {Point(31, 19), Point(32, 19), Point(31, 20), Point(32, 20)}) {
        EXPECT_EQ(p.Pixel(centre.X, centre.Y), clBlue);
    }
    EXPECT_EQ(p.Pixel(0, 0), clWhite);
    EXPECT_EQ(RowOf(p, 0, 0, 64), Solid(clWhite, 64));
    EXPECT_EQ(ColumnOf(p, 63, 0, 40), Solid(clWhite, 40));
    // 10 columns from the centre on the middle row: band 21 from the outside,
    // colour 10 of 32 from the centre: 10 * 255 / 31 = 82.3.
    EXPECT_EQ(p.Pixel(21, 19), Bluish(82));
    // 10 rows above the centre: band 15, colour 16: 131.6, rounded in steps.
    EXPECT_EQ(p.Pixel(31, 9), Bluish(132));
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(p.Pixel(x, y), p.Pixel(63 - x, y)) << x << "," << y;
            ASSERT_EQ(p.Pixel(x, y), p.Pixel(x, 39 - y)) << x << "," << y;
        }
    }
}

TEST(FillGradient, ToolbarSquareBoxIsWhiteAtItsEdgesAndBlueInTheMiddle) {
    const TBitmap p = Paint(gdSquareBox, 940, 31);
    EXPECT_EQ(RowOf(p, 0, 0, 940), Solid(clWhite, 940));
    EXPECT_EQ(RowOf(p, 30, 0, 940), Solid(clWhite, 940));
    EXPECT_EQ(ColumnOf(p, 0, 0, 31), Solid(clWhite, 31));
    EXPECT_EQ(ColumnOf(p, 939, 0, 31), Solid(clWhite, 31));
    EXPECT_EQ(p.Pixel(469, 15), clBlue);
    EXPECT_EQ(p.Pixel(470, 15), clBlue);
}

TEST(FillGradient, ReducedBoxesPutTheStopColourOverTheMiddleHalf) {
    // Quarter 32 x 20; a quarter of the width is 16, of the height 10.
    const TBitmap big = Paint(gdBigSquareBox, 64, 40);
    EXPECT_EQ(RowOf(big, 9, 15, 49), Solid(clBlue, 34));
    EXPECT_EQ(ColumnOf(big, 15, 9, 31), Solid(clBlue, 22));
    EXPECT_NE(big.Pixel(14, 20), clBlue);
    EXPECT_NE(big.Pixel(20, 8), clBlue);
    EXPECT_EQ(big.Pixel(0, 0), clWhite);

    const TBitmap bar = Paint(gdHorizontalBox, 64, 40);
    EXPECT_EQ(RowOf(bar, 19, 15, 49), Solid(clBlue, 34));
    EXPECT_EQ(RowOf(bar, 20, 15, 49), Solid(clBlue, 34));
    EXPECT_NE(bar.Pixel(31, 18), clBlue);
    EXPECT_NE(bar.Pixel(14, 19), clBlue);

    const TBitmap column = Paint(gdVerticalBox, 64, 40);
    EXPECT_EQ(ColumnOf(column, 31, 9, 31), Solid(clBlue, 22));
    EXPECT_NE(column.Pixel(30, 20), clBlue);
    EXPECT_NE(column.Pixel(31, 8), clBlue);
}

TEST(FillGradient, DiagonalsSweepCornerToCornerAsMirrorImages) {
    const TBitmap down = Paint(gdDiagonalDown, 64, 40);
    const TBitmap up = Paint(gdDiagonalUp, 64, 40);
    EXPECT_EQ(down.Pixel(0, 0), clWhite);
    EXPECT_EQ(up.Pixel(0, 39), clWhite);
    EXPECT_EQ(CountPixels(down, kGround), 0);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(down.Pixel(x, y), up.Pixel(x, 39 - y)) << x << "," << y;
        }
    }
    EXPECT_EQ(GetRValue(down.Pixel(63, 39)), GetGValue(down.Pixel(63, 39)));
    EXPECT_LT(GetRValue(down.Pixel(63, 39)), 10);
}

TEST(FillGradient, EqualColoursFillEveryDirectionWithTheOneColour) {
    for (TGradientDirection d : kAllDirections) {
        EXPECT_EQ(CountPixels(Paint(d, 31, 17, clTeal, clTeal), clTeal), 31 * 17) << d;
    }
}

TEST(FillGradient, SystemColoursAreResolvedAndEmptyRectanglesDrawNothing) {
    UseClassicColorScheme();
    EXPECT_EQ(Paint(gdHorizontalEnd, 10, 4, clBtnFace, clBtnFace).Pixel(5, 2),
              RGB(0xD4, 0xD0, 0xC8));
    TBitmap p(10, 10, kGround);
    {
        TCanvas canvas(p);
        for (TGradientDirection d : kAllDirections) {
            FillGradient(canvas, Rect(2, 2, 2, 8), d, clWhite, clBlue, 1);
            FillGradient(canvas, Rect(2, 2, 8, 2), d, clWhite, clBlue, 1);
            FillGradient(canvas, Rect(8, 8, 2, 2), d, clWhite, clBlue, 1);
        }
    }
    EXPECT_EQ(CountPixels(p, kGround), 100);
}

TEST(FillGradient, OneByOneAndThinRectanglesPaintEveryPixel) {
    for (TGradientDirection d : kAllDirections) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 9}, std::pair{9, 1}, std::pair{2, 2}}) {
            EXPECT_EQ(CountPixels(Paint(d, w, h), kGround), 0) << d << " " << w << "x" << h;
        }
    }
}

}  // namespace
