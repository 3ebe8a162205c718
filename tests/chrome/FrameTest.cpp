#include "chrome/Frame.h"

#include <gtest/gtest.h>

#include "Pixels.h"

namespace {

constexpr TColor kFace = RGB(0xD4, 0xD0, 0xC8);
constexpr TColor kShadow = RGB(0x80, 0x80, 0x80);
constexpr TColor kHighlight = RGB(0xFF, 0xFF, 0xFF);
constexpr TColor kDkShadow = RGB(0x40, 0x40, 0x40);
constexpr TColor kText = RGB(0, 0, 0);
constexpr TColor kGround = RGB(0x11, 0x22, 0x33);  // unlike any scheme colour

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override { UseClassicColorScheme(); }

    TRect Draw(TFrameStyle style, TSides sides) {
        TCanvas canvas(picture);
        return DrawFrameStyle(canvas, Rect(0, 0, 40, 30), style, sides);
    }

    TBitmap picture{40, 30, kGround};
};

struct RingStyle {
    TFrameStyle style;
    std::vector<TColor> ul;  // left column colours, outside in
    std::vector<TColor> lr;  // right column colours, outside in
};

TEST_F(FrameTest, RingStylesDrawTheirColourTablesOutsideIn) {
    const RingStyle styles[] = {
        {fsFlat, {kDkShadow}, {kDkShadow}},
        {fsStatus, {kShadow}, {kHighlight}},
        {fsPopup, {kHighlight}, {kShadow}},
        {fsFlatBold, {kShadow, kShadow}, {kShadow, kShadow}},
        {fsLowered, {kShadow, kDkShadow}, {kHighlight, kFace}},
        {fsButtonDown, {kText, kShadow}, {kText, kShadow}},
        {fsRaised, {kFace, kHighlight}, {kDkShadow, kShadow}},
        {fsButtonUp, {kHighlight, kFace}, {kDkShadow, kShadow}},
    };
    for (const RingStyle& s : styles) {
        picture = TBitmap(40, 30, kGround);
        const int n = int(s.ul.size());
        EXPECT_EQ(Draw(s.style, sdAllSides), Rect(n, n, 40 - n, 30 - n)) << s.style;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(picture.Pixel(i, 15), s.ul[i]) << s.style << " ring " << i;
            EXPECT_EQ(picture.Pixel(15, i), s.ul[i]) << s.style << " ring " << i;
            EXPECT_EQ(picture.Pixel(39 - i, 15), s.lr[i]) << s.style << " ring " << i;
            EXPECT_EQ(picture.Pixel(15, 29 - i), s.lr[i]) << s.style << " ring " << i;
            // The lr lines are drawn last: they own the top-right and
            // bottom-left corners of their ring.
            EXPECT_EQ(picture.Pixel(39 - i, i), s.lr[i]) << s.style;
            EXPECT_EQ(picture.Pixel(i, 29 - i), s.lr[i]) << s.style;
            EXPECT_EQ(picture.Pixel(i, i), s.ul[i]) << s.style;
        }
        EXPECT_EQ(picture.Pixel(n, n), kGround) << s.style;
    }
}

TEST_F(FrameTest, NoneDrawsNothingAndKeepsTheRectangle) {
    EXPECT_EQ(Draw(fsNone, sdAllSides), Rect(0, 0, 40, 30));
    EXPECT_EQ(CountPixels(picture, kGround), 40 * 30);
}

TEST_F(FrameTest, RingOnlyOnTheChosenSidesAndSkipsNone) {
    TCanvas canvas(picture);
    EXPECT_EQ(DrawFrameRing(canvas, Rect(0, 0, 40, 30), clRed, clNone, sdLeft | sdBottom),
              Rect(1, 0, 40, 29));
    EXPECT_EQ(ColumnOf(picture, 0, 0, 30), Solid(clRed, 30));
    EXPECT_EQ(CountPixels(picture, clRed), 30);  // the bottom row's colour is clNone
}

TEST_F(FrameTest, GrooveOnAllSidesWithItsCornerPixels) {
    EXPECT_EQ(Draw(fsGroove, sdAllSides), Rect(2, 2, 38, 28));
    // Outer ring: shadow left and top, highlight right and bottom.
    EXPECT_EQ(RowOf(picture, 0, 0, 39), Solid(kShadow, 39));
    EXPECT_EQ(picture.Pixel(39, 0), kHighlight);
    EXPECT_EQ(ColumnOf(picture, 0, 0, 29), Solid(kShadow, 29));
    EXPECT_EQ(picture.Pixel(0, 29), kHighlight);
    EXPECT_EQ(RowOf(picture, 29, 0, 40), Solid(kHighlight, 40));
    // Inner ring: highlight left and top, shadow right and bottom.
    EXPECT_EQ(RowOf(picture, 1, 1, 38), Solid(kHighlight, 37));
    EXPECT_EQ(picture.Pixel(38, 1), kShadow);
    EXPECT_EQ(ColumnOf(picture, 38, 1, 29), Solid(kShadow, 28));
    EXPECT_EQ(RowOf(picture, 28, 1, 39), Solid(kShadow, 38));
    EXPECT_EQ(picture.Pixel(2, 2), kGround);
}

TEST_F(FrameTest, GrooveOnTopOnlyIsAShadowRowAboveAHighlightRow) {
    EXPECT_EQ(Draw(fsGroove, sdTop), Rect(0, 2, 40, 30));
    EXPECT_EQ(RowOf(picture, 0, 0, 40), Solid(kShadow, 40));
    EXPECT_EQ(RowOf(picture, 1, 0, 40), Solid(kHighlight, 40));
    EXPECT_EQ(CountPixels(picture, kGround), 40 * 28);
}

TEST_F(FrameTest, GrooveOnLeftOnlyEndsInCleanColumns) {
    EXPECT_EQ(Draw(fsGroove, sdLeft), Rect(2, 0, 40, 30));
    EXPECT_EQ(ColumnOf(picture, 0, 0, 30), Solid(kShadow, 30));
    EXPECT_EQ(ColumnOf(picture, 1, 0, 30), Solid(kHighlight, 30));
    EXPECT_EQ(CountPixels(picture, kGround), 38 * 30);
}

TEST_F(FrameTest, BumpOnRightOrBottomOnlyEndsInCleanLines) {
    EXPECT_EQ(Draw(fsBump, sdRight), Rect(0, 0, 38, 30));
    EXPECT_EQ(ColumnOf(picture, 38, 0, 30), Solid(kHighlight, 30));
    EXPECT_EQ(ColumnOf(picture, 39, 0, 30), Solid(kShadow, 30));
    EXPECT_EQ(CountPixels(picture, kGround), 38 * 30);

    picture = TBitmap(40, 30, kGround);
    EXPECT_EQ(Draw(fsBump, sdBottom), Rect(0, 0, 40, 28));
    EXPECT_EQ(RowOf(picture, 28, 0, 40), Solid(kHighlight, 40));
    EXPECT_EQ(RowOf(picture, 29, 0, 40), Solid(kShadow, 40));
    EXPECT_EQ(CountPixels(picture, kGround), 40 * 28);
}

TEST_F(FrameTest, EtchedTopAndLeftMeetInTheCorner) {
    EXPECT_EQ(Draw(fsGroove, sdLeft | sdTop), Rect(2, 2, 40, 30));
    EXPECT_EQ(picture.Pixel(0, 0), kShadow);
    EXPECT_EQ(picture.Pixel(39, 0), kShadow);  // top without right: ul at the end
    EXPECT_EQ(picture.Pixel(0, 29), kShadow);  // left without bottom
    EXPECT_EQ(picture.Pixel(1, 1), kHighlight);
    EXPECT_EQ(ColumnOf(picture, 1, 1, 30), Solid(kHighlight, 29));
}

}  // namespace
