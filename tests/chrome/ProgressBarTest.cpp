#include "chrome/ProgressBar.h"

#include <gtest/gtest.h>

#include "Pixels.h"
#include "framework/Canvas.h"
#include "framework/ControlCanvas.h"
#include "framework/Form.h"

namespace {

constexpr TColor kFace = RGB(0xD4, 0xD0, 0xC8);
constexpr TColor kBorder = RGB(0x80, 0x80, 0x80);
constexpr TColor kLight = RGB(217, 217, 217);
constexpr TColor kMarker = RGB(0xFF, 0x00, 0xFF);

class ProgressBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseClassicColorScheme();
        form = new TCustomForm(nullptr);
        form->SetBounds(0, 0, 800, 100);
        bar = new TKvtXPProgressBar(form);
        bar->SetParent(form);
        bar->SetBounds(0, 0, 667, 19);
        bar->SetMax(99);
    }
    void TearDown() override { delete form; }

    TBitmap Picture() { return TBitmap(bar->Grab()); }
    // The number of lit blocks, read from the middle of each block position.
    int LitBlocks() {
        const TBitmap p = Picture();
        int lit = 0;
        for (int x = 7; x < p.Width(); x += 9) {
            lit += p.Pixel(x, 9) != clWhite;
        }
        return lit;
    }
    // Paints a pixel over what is shown, as something the bar must keep or erase.
    void Mark(int x, int y) {
        TControlCanvas canvas(*bar);
        canvas.Canvas().SetPixel(x, y, kMarker);
    }

    TCustomForm* form = nullptr;
    TKvtXPProgressBar* bar = nullptr;
};

TEST_F(ProgressBarTest, StartsWithTheClassDefaults) {
    TKvtXPProgressBar fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 149);
    EXPECT_EQ(fresh.Height(), 16);
    EXPECT_EQ(fresh.Color(), clWhite);
    EXPECT_FALSE(fresh.ParentColor());
    EXPECT_EQ(fresh.Max(), 100);
    EXPECT_EQ(fresh.Step(), 10);
    EXPECT_EQ(fresh.BorderColor(), kBorder);
}

TEST_F(ProgressBarTest, FrameHasRoundedCornersAndALightInnerLine) {
    bar->SetBounds(0, 0, 40, 19);
    const TBitmap p = Picture();
    // Top-left corner.
    EXPECT_EQ(RowOf(p, 0, 0, 4), (std::vector<TColor>{kFace, kLight, kBorder, kBorder}));
    EXPECT_EQ(RowOf(p, 1, 0, 4), (std::vector<TColor>{kLight, kBorder, kLight, kLight}));
    EXPECT_EQ(RowOf(p, 2, 0, 4), (std::vector<TColor>{kBorder, kLight, clWhite, clWhite}));
    // Top-right corner: the light line runs into the border column.
    EXPECT_EQ(RowOf(p, 0, 36, 40), (std::vector<TColor>{kBorder, kBorder, kLight, kFace}));
    EXPECT_EQ(RowOf(p, 1, 36, 40), (std::vector<TColor>{kLight, kLight, kBorder, kLight}));
    EXPECT_EQ(RowOf(p, 2, 36, 40), (std::vector<TColor>{clWhite, clWhite, clWhite, kBorder}));
    // Bottom corners.
    EXPECT_EQ(RowOf(p, 18, 0, 3), (std::vector<TColor>{kFace, kLight, kBorder}));
    EXPECT_EQ(RowOf(p, 17, 0, 3), (std::vector<TColor>{kLight, kBorder, clWhite}));
    EXPECT_EQ(RowOf(p, 18, 37, 40), (std::vector<TColor>{kBorder, kLight, kFace}));
    EXPECT_EQ(RowOf(p, 17, 37, 40), (std::vector<TColor>{clWhite, kBorder, kLight}));
    EXPECT_EQ(p.Pixel(1, 10), kLight);
    EXPECT_EQ(p.Pixel(38, 10), clWhite);
}

TEST_F(ProgressBarTest, BlocksLightByTheTruncatedShareOf73) {
    EXPECT_EQ(LitBlocks(), 0);
    const std::pair<int, int> cases[] = {{1, 0}, {36, 26}, {50, 36}, {98, 72}, {99, 73}};
    for (auto [position, blocks] : cases) {
        bar->SetPosition(position);
        EXPECT_EQ(LitBlocks(), blocks) << position;
    }
    const TBitmap p = Picture();
    // The last block is x 652..658, rows 2..16, followed by ground.
    EXPECT_NE(p.Pixel(652, 2), clWhite);
    EXPECT_NE(p.Pixel(658, 16), clWhite);
    EXPECT_EQ(p.Pixel(659, 9), clWhite);
    EXPECT_EQ(p.Pixel(658, 17), clWhite);
    EXPECT_EQ(p.Pixel(661, 9), clWhite);
}

TEST_F(ProgressBarTest, BlocksShowTheShadingStretchedToFifteenRows) {
    bar->SetPosition(99);
    const TBitmap p = Picture();
    // Row y of a 15-row block samples picture row (2y + 1) * 52 / 30.
    EXPECT_EQ(p.Pixel(4, 2), RGB(0x9F, 0xF8, 0x9F));
    EXPECT_EQ(p.Pixel(10, 9), RGB(0x00, 0xD7, 0x00));
    EXPECT_EQ(p.Pixel(4, 16), RGB(0xA0, 0xF8, 0xA0));
    EXPECT_EQ(RowOf(p, 9, 11, 13), Solid(clWhite, 2));
}

TEST_F(ProgressBarTest, PositionIsClampedAndFollowsALowerMax) {
    bar->SetMax(100);
    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(-5);
    EXPECT_EQ(bar->Position(), 0);
    bar->SetPosition(80);
    bar->SetMax(60);
    EXPECT_EQ(bar->Position(), 60);
    bar->SetMin(70);  // Min leaves Position alone
    EXPECT_EQ(bar->Position(), 60);
}

TEST_F(ProgressBarTest, RisingDrawsAtOnceOverWhatIsShownAndFallingRepaints) {
    bar->SetPosition(10);
    Picture();
    Mark(11, 5);   // in the gap after the first block
    Mark(300, 9);  // beyond the lit blocks
    bar->SetPosition(50);
    TBitmap p = Picture();
    EXPECT_EQ(p.Pixel(11, 5), kMarker);
    EXPECT_EQ(p.Pixel(300, 9), kMarker);
    EXPECT_EQ(LitBlocks(), 36);

    Mark(7, 9);
    bar->SetPosition(50);  // unchanged: nothing drawn
    EXPECT_EQ(Picture().Pixel(7, 9), kMarker);

    bar->SetPosition(20);
    p = Picture();
    EXPECT_EQ(p.Pixel(11, 5), clWhite);
    EXPECT_EQ(p.Pixel(300, 9), clWhite);
    EXPECT_EQ(LitBlocks(), 14);
}

TEST_F(ProgressBarTest, SmoothModeStretchesOneStrip) {
    bar->SetSmooth(true);
    bar->SetPosition(36);
    const TBitmap p = Picture();
    // 663 * 36 div 99 = 241 columns from x = 2.
    EXPECT_NE(p.Pixel(2, 9), clWhite);
    EXPECT_NE(p.Pixel(242, 9), clWhite);
    EXPECT_EQ(p.Pixel(243, 9), clWhite);
    EXPECT_NE(p.Pixel(100, 2), clWhite);
    EXPECT_EQ(p.Pixel(100, 17), clWhite);
    bar->SetPosition(0);
    EXPECT_EQ(Picture().Pixel(2, 9), clWhite);
}

TEST_F(ProgressBarTest, SmoothFillOfAHugeRangeDoesNotOverflow) {
    bar->SetSmooth(true);
    bar->SetMax(100000000);
    bar->SetPosition(50000000);  // 663 * 50000000 is beyond 32 bits
    const TBitmap p = Picture();
    EXPECT_NE(p.Pixel(332, 9), clWhite);  // 331 columns from x = 2
    EXPECT_EQ(p.Pixel(333, 9), clWhite);
}

TEST_F(ProgressBarTest, OrientationSwapsTheSizeAndFillsFromTheBottom) {
    bar->SetBounds(10, 5, 40, 19);
    bar->SetOrientation(pbVertical);
    EXPECT_EQ(bar->BoundsRect(), Bounds(10, 5, 19, 40));
    bar->SetPosition(99);  // (40 - 3) div 9 = 4 blocks
    TBitmap p = Picture();
    EXPECT_EQ(p.Pixel(3, 30), RGB(0x9F, 0xF8, 0x9F));  // picture column 1 of 52 for 14
    EXPECT_NE(p.Pixel(16, 36), clWhite);
    EXPECT_EQ(p.Pixel(17, 33), clWhite);
    EXPECT_EQ(p.Pixel(9, 37), clWhite);
    EXPECT_EQ(p.Pixel(9, 28), clWhite);  // the gap
    EXPECT_NE(p.Pixel(9, 27), clWhite);
    EXPECT_NE(p.Pixel(9, 3), clWhite);  // fourth block: rows 3..9
    EXPECT_EQ(p.Pixel(9, 2), clWhite);

    bar->SetSmooth(true);
    bar->SetPosition(33);  // 36 * 33 div 99 = 12 rows: 26..37
    p = Picture();
    EXPECT_NE(p.Pixel(9, 26), clWhite);
    EXPECT_EQ(p.Pixel(9, 25), clWhite);
}

TEST_F(ProgressBarTest, OrientationWhileLoadingKeepsTheSize) {
    bar->SetBounds(0, 0, 40, 19);
    bar->BeginLoading();
    bar->SetOrientation(pbVertical);
    bar->EndLoading();
    EXPECT_EQ(bar->Width(), 40);
    EXPECT_EQ(bar->Orientation(), pbVertical);
}

TEST_F(ProgressBarTest, EmptyRangesAndNarrowBarsDoNotFail) {
    bar->SetMax(-1);  // the stamp command on an empty list
    EXPECT_EQ(bar->Position(), -1);
    EXPECT_EQ(LitBlocks(), 0);

    bar->SetMax(5);
    bar->SetMin(5);
    bar->SetPosition(-1);  // stays below Min: clamped up to 5 only when set
    EXPECT_EQ(bar->Position(), 5);
    EXPECT_EQ(LitBlocks(), 73);  // Max = Min, Position at Max: full
    bar->SetSmooth(true);
    EXPECT_NE(Picture().Pixel(664, 9), clWhite);

    bar->SetMin(0);
    bar->SetMax(100);
    bar->SetPosition(0);
    bar->SetMin(10);
    bar->SetMax(10);  // Position 0 is below Min = Max: nothing
    EXPECT_EQ(Picture().Pixel(2, 9), clWhite);

    bar->SetSmooth(false);
    bar->SetBounds(0, 0, 11, 19);
    bar->SetPosition(10);
    // (11 - 3) div 9 = 0 block positions: the ground inside the frame stays
    // whole (8 x 16 less the rounded corner's pixel).
    EXPECT_EQ(CountPixels(Picture(), clWhite), 8 * 16 - 1);
}

TEST(ProgressBlockBitmap, ShadingRunsDownOrAcross) {
    const TBitmap horizontal = ProgressBlockBitmap(pbHorizontal);
    const TBitmap vertical = ProgressBlockBitmap(pbVertical);
    ASSERT_EQ(horizontal.Width(), 20);
    ASSERT_EQ(horizontal.Height(), 52);
    ASSERT_EQ(vertical.Width(), 52);
    ASSERT_EQ(vertical.Height(), 20);
    EXPECT_EQ(horizontal.Pixel(0, 0), RGB(0xAF, 0xFF, 0xAF));
    EXPECT_EQ(horizontal.Pixel(19, 25), RGB(0x00, 0xD0, 0x00));
    EXPECT_EQ(horizontal.Pixel(7, 51), RGB(0xA0, 0xF8, 0xA0));
    for (int i = 0; i < 52; ++i) {
        EXPECT_EQ(vertical.Pixel(i, 11), horizontal.Pixel(3, i)) << i;
    }
}

TEST(LightenColor, MovesEachChannelTowardWhite) {
    EXPECT_EQ(LightenColor(RGB(0x80, 0x80, 0x80), 70), RGB(217, 217, 217));
    EXPECT_EQ(LightenColor(RGB(0, 100, 255), 150), clWhite);
    EXPECT_EQ(LightenColor(RGB(0, 100, 255), 50), RGB(128, 178, 255));
}

}  // namespace
