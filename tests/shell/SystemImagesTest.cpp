#include "shell/SystemImages.h"

#include <sys/stat.h>

#include "ShellTestSupport.h"
#include "shell/ShellEnv.h"
#include "shell/ShellPaths.h"

namespace {

class SystemImagesTest : public ShellTest {};

TEST_F(SystemImagesTest, ListsHaveTheirSizes_AndOverlaysAreInstalledOnce) {
    HIMAGELIST small = GetSystemImageList(0);
    HIMAGELIST large = GetSystemImageList(1);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(small->Size(), 16);
    EXPECT_EQ(large->Size(), 32);
    EXPECT_TRUE(ShellEnv.OverlaysInstalled);
    for (HIMAGELIST list : {small, large})
        for (int overlay : {1, 2}) {
            int index = list->OverlayImage(overlay);
            EXPECT_GE(index, 0) << overlay;
            EXPECT_LT(index, list->Count()) << overlay;
        }
    EXPECT_NE(small->OverlayImage(1), small->OverlayImage(2));
    int count = small->Count();
    GetSystemImageList(0);
    EXPECT_EQ(small->Count(), count);
}

TEST_F(SystemImagesTest, OldCommonControlsGetNoOverlays) {
    GetSystemImageList(0);
    TLibraryVersion saved = ShellEnv.ComCtlVersion;
    ShellEnv.ComCtlVersion.MS = 0x00040046;
    ShellEnv.OverlaysInstalled = false;
    int count = GetSystemImageList(0)->Count();
    EXPECT_FALSE(ShellEnv.OverlaysInstalled);
    EXPECT_EQ(GetSystemImageList(0)->Count(), count);
    ShellEnv.ComCtlVersion = saved;
    ShellEnv.OverlaysInstalled = true;
}

TEST_F(SystemImagesTest, SameKindOfPlaceGetsTheSameIndex_NullIsTheDesktop) {
    std::string one = TestHome() + "/icon one", two = TestHome() + "/icon two";
    mkdir(one.c_str(), 0755);
    mkdir(two.c_str(), 0755);
    OwnedIdList first, second;
    ASSERT_EQ(PathToIdList(one, first.Out()), S_OK);
    ASSERT_EQ(PathToIdList(two, second.Out()), S_OK);
    int index = GetSysIconIndex(first.Get(), SHGFI_SMALLICON);
    EXPECT_GE(index, 0);
    EXPECT_EQ(GetSysIconIndex(second.Get(), SHGFI_SMALLICON), index);
    EXPECT_EQ(GetSysIconIndex(first.Get(), SHGFI_SMALLICON), index);
    EXPECT_LT(index, GetSystemImageList(0)->Count());
    EXPECT_EQ(GetSysIconIndex(nullptr, SHGFI_SMALLICON),
              GetSysIconIndex(EmptyIdList(), SHGFI_SMALLICON));
}

}  // namespace
