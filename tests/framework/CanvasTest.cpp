#include "framework/Canvas.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor kGround = RGB(0x10, 0x20, 0x30);

class CanvasTest : public ::testing::Test {
  protected:
    void SetUp() override { UseClassicColorScheme(); }

    // The pixels of one row as colours, for comparing whole runs.
    std::vector<TColor> Row(int y, int from, int to) const {
        std::vector<TColor> row;
        for (int x = from; x < to; ++x) {
            row.push_back(bitmap.Pixel(x, y));
        }
        return row;
    }
    int CountOf(TColor color) const {
        int n = 0;
        for (int y = 0; y < bitmap.Height(); ++y) {
            for (int x = 0; x < bitmap.Width(); ++x) {
                n += bitmap.Pixel(x, y) == color;
            }
        }
        return n;
    }

    TBitmap bitmap{20, 12, kGround};
};

TEST_F(CanvasTest, LineToLeavesTheEndPointOutInEveryDirection) {
    {
        TCanvas canvas(bitmap);
        canvas.Pen.Color = clRed;
        canvas.MoveTo(2, 1);
        canvas.LineTo(6, 1);  // rightwards: 2..5
        canvas.MoveTo(6, 3);
        canvas.LineTo(2, 3);  // leftwards: 6..3
        canvas.MoveTo(10, 0);
        canvas.LineTo(10, 4);  // downwards: rows 0..3
        canvas.LineTo(10, 4);  // zero length draws nothing
        EXPECT_EQ(canvas.PenPos(), Point(10, 4));
    }
    EXPECT_EQ(Row(1, 1, 7), (std::vector<TColor>{kGround, clRed, clRed, clRed, clRed, kGround}));
    EXPECT_EQ(Row(3, 1, 8),
              (std::vector<TColor>{kGround, kGround, clRed, clRed, clRed, clRed, kGround}));
    EXPECT_EQ(bitmap.Pixel(10, 3), clRed);
    EXPECT_EQ(bitmap.Pixel(10, 4), kGround);
    EXPECT_EQ(CountOf(clRed), 12);
}

TEST_F(CanvasTest, DiagonalLineLeavesTheEndPointOut) {
    {
        TCanvas canvas(bitmap);
        canvas.Pen.Color = clBlue;
        canvas.MoveTo(0, 0);
        canvas.LineTo(4, 4);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bitmap.Pixel(i, i), clBlue) << i;
    }
    EXPECT_EQ(bitmap.Pixel(4, 4), kGround);
    EXPECT_EQ(CountOf(clBlue), 4);
}

TEST_F(CanvasTest, XorPenInvertsAndRestores) {
    {
        TCanvas canvas(bitmap);
        canvas.Pen = {clWhite, 2, pmXor};
        canvas.MoveTo(5, 0);
        canvas.LineTo(5, 10);
    }
    const TColor inverted = RGB(0xEF, 0xDF, 0xCF);
    EXPECT_EQ(bitmap.Pixel(4, 0), inverted);  // a 2-pixel line at x covers x - 1 and x
    EXPECT_EQ(bitmap.Pixel(5, 9), inverted);
    EXPECT_EQ(bitmap.Pixel(6, 0), kGround);
    EXPECT_EQ(bitmap.Pixel(5, 10), kGround);
    {
        TCanvas canvas(bitmap);
        canvas.Pen = {clWhite, 2, pmXor};
        canvas.MoveTo(5, 0);
        canvas.LineTo(5, 10);
    }
    EXPECT_EQ(CountOf(kGround), 20 * 12);
}

TEST_F(CanvasTest, NoneColoursDrawNothing) {
    {
        TCanvas canvas(bitmap);
        canvas.Pen.Color = clNone;
        canvas.Brush.Color = clNone;
        canvas.MoveTo(0, 0);
        canvas.LineTo(10, 0);
        canvas.FillRect(Rect(0, 0, 20, 12));
        canvas.Rectangle(Rect(0, 0, 20, 12));
        canvas.SetPixel(3, 3, clNone);
    }
    EXPECT_EQ(CountOf(kGround), 20 * 12);
}

TEST_F(CanvasTest, SystemColoursAreResolvedWhenDrawn) {
    {
        TCanvas canvas(bitmap);
        canvas.Brush.Color = clBtnFace;
        canvas.FillRect(Rect(0, 0, 2, 2));
        canvas.SetPixel(5, 5, cl3DDkShadow);
    }
    EXPECT_EQ(bitmap.Pixel(1, 1), RGB(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(bitmap.Pixel(5, 5), RGB(0x40, 0x40, 0x40));
}

TEST_F(CanvasTest, RectangleOutlinesInsideAndFillsWithTheBrush) {
    {
        TCanvas canvas(bitmap);
        canvas.Pen.Color = clBlack;
        canvas.Brush.Color = clYellow;
        canvas.Rectangle(Rect(2, 2, 7, 6));
        canvas.Brush.Style = bsClear;
        canvas.Rectangle(Rect(10, 2, 14, 6));
    }
    EXPECT_EQ(Row(2, 1, 8),
              (std::vector<TColor>{kGround, clBlack, clBlack, clBlack, clBlack, clBlack, kGround}));
    EXPECT_EQ(Row(3, 1, 8), (std::vector<TColor>{kGround, clBlack, clYellow, clYellow, clYellow,
                                                 clBlack, kGround}));
    EXPECT_EQ(bitmap.Pixel(2, 5), clBlack);
    EXPECT_EQ(bitmap.Pixel(2, 6), kGround);
    EXPECT_EQ(bitmap.Pixel(11, 3), kGround);
    EXPECT_EQ(bitmap.Pixel(13, 3), clBlack);
}

TEST_F(CanvasTest, CheckeredBrushFollowsTheSurfaceGrid) {
    {
        TCanvas canvas(bitmap);
        canvas.Brush = {clBtnFace, bsCheckered, clWhite};
        canvas.FillRect(Rect(1, 1, 5, 3));
    }
    const TColor face = RGB(0xD4, 0xD0, 0xC8);
    EXPECT_EQ(Row(1, 1, 5), (std::vector<TColor>{clWhite, face, clWhite, face}));
    EXPECT_EQ(Row(2, 1, 5), (std::vector<TColor>{face, clWhite, face, clWhite}));

    // Through a translated painter the pattern stays on the surface's grid.
    QPainter painter(&bitmap.Image());
    painter.translate(11, 0);
    TCanvas moved(painter);
    moved.Brush = {clBlack, bsCheckered, clRed};
    moved.FillRect(Rect(0, 0, 2, 1));
    EXPECT_EQ(moved.Pixel(0, 0), clBlack);  // surface (11, 0): odd
    EXPECT_EQ(moved.Pixel(1, 0), clRed);
}

TEST_F(CanvasTest, StretchDrawPicksNearestPixels) {
    TBitmap source(2, 3);
    source.SetPixel(0, 0, clRed);
    source.SetPixel(1, 0, clLime);
    source.SetPixel(0, 1, clBlue);
    source.SetPixel(1, 1, clYellow);
    source.SetPixel(0, 2, clBlack);
    source.SetPixel(1, 2, clAqua);
    {
        TCanvas canvas(bitmap);
        canvas.StretchDraw(Rect(4, 1, 8, 3), source);  // 4 x 2 from 2 x 3: rows 0 and 2
        canvas.StretchDraw(Rect(0, 0, 3, 3), TBitmap());
    }
    EXPECT_EQ(Row(1, 3, 9), (std::vector<TColor>{kGround, clRed, clRed, clLime, clLime, kGround}));
    EXPECT_EQ(Row(2, 4, 8), (std::vector<TColor>{clBlack, clBlack, clAqua, clAqua}));
    EXPECT_EQ(bitmap.Pixel(4, 3), kGround);
}

TEST_F(CanvasTest, CopyRectTakesThePartOfAnotherSurface) {
    TBitmap source(6, 6, clWhite);
    source.SetPixel(3, 2, clMaroon);
    {
        TCanvas canvas(bitmap);
        canvas.CopyRect(Rect(0, 0, 2, 2), source, Rect(2, 1, 4, 3));
        canvas.Draw(10, 5, source);
    }
    EXPECT_EQ(Row(1, 0, 3), (std::vector<TColor>{clWhite, clMaroon, kGround}));
    EXPECT_EQ(bitmap.Pixel(13, 7), clMaroon);
    EXPECT_EQ(bitmap.Pixel(16, 5), kGround);
}

TEST_F(CanvasTest, TextRectFillsAndClipsAndAnchorsByAlignment) {
    TBitmap wide(120, 20, kGround);
    const std::string text = "WWWW";
    int width = 0;
    {
        TCanvas canvas(wide);
        canvas.Font.Color = clBlack;
        canvas.Brush.Color = clWhite;
        width = canvas.TextWidth(text);
        canvas.TextAlign = taRight;
        canvas.TextRect(Rect(10, 2, 100, 18), 100, 2, text);
        canvas.TextAlign = taLeft;
        canvas.TextRect(Rect(0, 0, 5, 20), 0, 2, text);  // clipped to 5 columns
    }
    ASSERT_GT(width, 10);
    EXPECT_EQ(wide.Pixel(10, 2), clWhite);   // filled even where no glyph is
    EXPECT_EQ(wide.Pixel(100, 2), kGround);  // the rectangle's right edge is exclusive
    int leftmost = 120;
    int rightmost = -1;
    for (int y = 0; y < 20; ++y) {
        for (int x = 10; x < 120; ++x) {
            if (wide.Pixel(x, y) == clBlack) {
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
        }
        EXPECT_NE(wide.Pixel(5, y), clBlack) << y;
    }
    EXPECT_LE(rightmost, 99);
    EXPECT_GE(leftmost, 100 - width);
    EXPECT_LT(leftmost, 100 - width + 4);
}

TEST_F(CanvasTest, ClearBrushTextKeepsTheGroundAndDrawTextMeasures) {
    TBitmap wide(120, 40, kGround);
    TCanvas canvas(wide);
    canvas.Brush.Style = bsClear;
    canvas.Font.Color = clRed;
    canvas.TextOut(2, 2, "Hi");
    EXPECT_EQ(canvas.Pixel(0, 0), kGround);

    TRect one = Rect(0, 0, 100, 0);
    canvas.DrawText(one, "Word", dtCalcRect | dtWordBreak | dtCenter);
    EXPECT_EQ(one.Height(), canvas.TextHeight("Word"));
    TRect two = Rect(0, 0, canvas.TextWidth("Word") + 2, 0);
    canvas.DrawText(two, "Word Word", dtCalcRect | dtWordBreak | dtCenter);
    EXPECT_EQ(two.Height(), 2 * canvas.TextHeight("Word"));
}

// The text drawn black on white into a 60 x 24 picture.
TBitmap DrawnText(std::string_view text, unsigned format) {
    TBitmap picture(60, 24, clWhite);
    TCanvas canvas(picture);
    canvas.Font.Color = clBlack;
    TRect r = Rect(0, 0, 60, 24);
    canvas.DrawText(r, text, format);
    return picture;
}

TEST_F(CanvasTest, DrawTextPrefixUnderlinesTheNextCharacterUnlessSwitchedOff) {
    const TBitmap plain = DrawnText("Ab", dtLeft);
    const TBitmap marked = DrawnText("&Ab", dtLeft);
    int added = 0, lost = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 60; ++x) {
            added += marked.Pixel(x, y) == clBlack && plain.Pixel(x, y) != clBlack;
            lost += marked.Pixel(x, y) != clBlack && plain.Pixel(x, y) == clBlack;
        }
    EXPECT_GE(added, 3);  // the underline below the A
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(DrawnText("A&&b", dtLeft).Image(), DrawnText("A&b", dtNoPrefix).Image());
    EXPECT_NE(DrawnText("&Ab", dtNoPrefix).Image(), marked.Image());

    TCanvas canvas(bitmap);
    TRect measured = Rect(0, 0, 0, 0);
    canvas.DrawText(measured, "&Ab", dtCalcRect | dtSingleLine);
    EXPECT_EQ(measured.Width(), canvas.TextWidth("Ab"));
}

TEST_F(CanvasTest, ClipRectLimitsDrawingUntilReset) {
    {
        TCanvas canvas(bitmap);
        canvas.Brush.Color = clRed;
        canvas.SetClipRect(Rect(0, 0, 3, 3));
        canvas.FillRect(Rect(0, 0, 10, 10));
        canvas.ResetClip();
        canvas.Brush.Color = clLime;
        canvas.FillRect(Rect(15, 10, 20, 12));
    }
    EXPECT_EQ(CountOf(clRed), 9);
    EXPECT_EQ(CountOf(clLime), 10);
}

TEST(Geometry, RightAndBottomAreExclusive) {
    TRect r = Rect(1, 2, 5, 4);
    EXPECT_EQ(r.Width(), 4);
    EXPECT_TRUE(r.Contains(Point(4, 3)));
    EXPECT_FALSE(r.Contains(Point(5, 3)));
    EXPECT_FALSE(r.Contains(Point(4, 4)));
    EXPECT_TRUE(Rect(3, 3, 3, 9).IsEmpty());
    EXPECT_EQ(IntersectRect(r, Rect(5, 0, 9, 9)), TRect{});
    EXPECT_EQ(IntersectRect(r, Bounds(0, 0, 3, 3)), Rect(1, 2, 3, 3));
    EXPECT_EQ(InflateRect(r, -1, 1), Rect(2, 1, 4, 5));
}

}  // namespace
