#include "platform/SystemImageList.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/ShellServices.h"

namespace {

HIMAGELIST SystemList(UINT sizeFlag) {
    SHFILEINFOA info;
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("/", 0, &info, sizeof info, SHGFI_SYSICONINDEX | sizeFlag));
}

TEST(SystemImageListTest, Lists_AreProcessWideWithPicturesOfTheirSize) {
    HIMAGELIST small = SystemList(SHGFI_SMALLICON);
    HIMAGELIST large = SystemList(SHGFI_LARGEICON);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small, SystemList(SHGFI_SMALLICON));
    EXPECT_NE(small, large);
    ASSERT_GT(small->Count(), 0);
    EXPECT_EQ(small->Image(0).size(), QSize(16, 16));
    EXPECT_EQ(large->Image(0).size(), QSize(32, 32));
    EXPECT_TRUE(small->Image(small->Count()).isNull());
}

TEST(SystemImageListTest, Overlays_InstallFromTheShellIcons) {
    HIMAGELIST small = SystemList(SHGFI_SMALLICON);
    HICON shared = LoadShellIcon(kSharedOverlayIconResource, 16);
    HICON link = LoadShellIcon(kLinkOverlayIconResource, 16);
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(LoadShellIcon(31, 16), nullptr);
    int sharedIndex = ImageList_ReplaceIcon(small, -1, shared);
    int linkIndex = ImageList_ReplaceIcon(small, -1, link);
    EXPECT_EQ(linkIndex, sharedIndex + 1);
    EXPECT_EQ(ImageList_ReplaceIcon(small, 0, link), -1);
    EXPECT_TRUE(ImageList_SetOverlayImage(small, sharedIndex, 1));
    EXPECT_TRUE(ImageList_SetOverlayImage(small, linkIndex, 2));
    EXPECT_FALSE(ImageList_SetOverlayImage(small, small->Count(), 3));
    EXPECT_EQ(small->OverlayImage(1), sharedIndex);
    EXPECT_EQ(small->OverlayImage(2), linkIndex);
    EXPECT_EQ(small->OverlayImage(3), -1);
    // The overlay pictures are drawn, not blank.
    QImage picture = small->Image(linkIndex);
    bool drawn = false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            drawn = drawn || qAlpha(picture.pixel(x, y)) > 0;
    EXPECT_TRUE(drawn);
    DestroyIcon(shared);
    DestroyIcon(link);
}

}  // namespace
