#include "framework/ImageList.h"

#include <gtest/gtest.h>

#include "framework/Canvas.h"

namespace {

// A 16 x 16 picture: transparent except a 2 x 2 red square at (4, 4) and a
// white pixel at (8, 8).
QImage Picture() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 4; y < 6; ++y)
        for (int x = 4; x < 6; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    image.setPixel(8, 8, qRgb(255, 255, 255));
    return image;
}

class ImageListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseClassicColorScheme();
        list.Add(Picture());
    }
    TImageList list{nullptr};
    TBitmap bitmap{20, 20, clGreen};
};

TEST_F(ImageListTest, Draw_Enabled_CopiesOpaquePixelsOnly) {
    {
        TCanvas canvas(bitmap);
        list.Draw(canvas, 2, 3, 0);
    }
    EXPECT_EQ(bitmap.Pixel(6, 7), clRed);
    EXPECT_EQ(bitmap.Pixel(7, 8), clRed);
    EXPECT_EQ(bitmap.Pixel(10, 11), clWhite);
    EXPECT_EQ(bitmap.Pixel(5, 7), clGreen);
    EXPECT_EQ(bitmap.Pixel(8, 9), clGreen);
}

TEST_F(ImageListTest, Draw_Disabled_EmbossesNonWhitePixelsInSystemColours) {
    {
        TCanvas canvas(bitmap);
        list.Draw(canvas, 0, 0, 0, false);
    }
    EXPECT_EQ(bitmap.Pixel(4, 4), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bitmap.Pixel(5, 5), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bitmap.Pixel(6, 6), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(bitmap.Pixel(6, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(bitmap.Pixel(8, 8), clGreen);  // white pixels leave no trace
    EXPECT_EQ(bitmap.Pixel(3, 3), clGreen);
}

TEST_F(ImageListTest, Draw_IndexOutsideTheListDrawsNothing) {
    {
        TCanvas canvas(bitmap);
        list.Draw(canvas, 0, 0, 1);
        list.Draw(canvas, 0, 0, -1);
    }
    EXPECT_EQ(bitmap.Pixel(4, 4), clGreen);
}

TEST_F(ImageListTest, Add_ScalesOtherSizesToTheList) {
    QImage big(32, 32, QImage::Format_RGB32);
    big.fill(qRgb(0, 0, 255));
    EXPECT_EQ(list.Add(big), 1);
    {
        TCanvas canvas(bitmap);
        list.Draw(canvas, 0, 0, 1);
    }
    EXPECT_EQ(bitmap.Pixel(15, 15), clBlue);
    EXPECT_EQ(bitmap.Pixel(16, 16), clGreen);
}

}  // namespace
