#include "app/ProgramImages.h"

#include <gtest/gtest.h>

#include "app/ProgramIcon.h"
#include "framework/Canvas.h"
#include "framework/ImageList.h"

namespace {

constexpr TColor kGround = clFuchsia;

// The list's picture drawn over a ground no picture uses.
TBitmap Drawn(const TImageList& images, int index) {
    TBitmap picture(16, 16, kGround);
    TCanvas canvas(picture);
    images.Draw(canvas, 0, 0, index);
    return picture;
}

int OpaqueCount(const TBitmap& picture) {
    int n = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            n += picture.Pixel(x, y) != kGround;
    return n;
}

bool Grey(const TBitmap& picture) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            TColor c = picture.Pixel(x, y);
            if (c != kGround && (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c)))
                return false;
        }
    return true;
}

}  // namespace

TEST(ProgramImagesTest, TenMaskedPicturesWithTheirGreyCopies) {
    TImageList images(nullptr);
    AddProgramImages(images);
    ASSERT_EQ(images.Count(), 10);
    EXPECT_EQ(images.Width(), 16);
    EXPECT_EQ(images.Height(), 16);
    // Each picture is partly see-through and partly drawn; 3, 5, 7 and 9 are
    // grey copies of the picture before them, of the same shape.
    for (int i = 0; i < 10; ++i) {
        TBitmap picture = Drawn(images, i);
        int opaque = OpaqueCount(picture);
        EXPECT_GT(opaque, 40) << i;
        EXPECT_LT(opaque, 256) << i;
        bool copy = i % 2 == 1 && i >= 3;
        EXPECT_EQ(Grey(picture), copy) << i;
        if (copy) {
            EXPECT_EQ(opaque, OpaqueCount(Drawn(images, i - 1))) << i;
        }
    }
}

TEST(ProgramImagesTest, IconAtEverySizeHasATransparentCornerAndADrawnMiddle) {
    for (int size : kProgramIconSizes) {
        QImage icon = DrawProgramIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << size;
    }
    EXPECT_FALSE(ProgramIcon().isNull());
}
