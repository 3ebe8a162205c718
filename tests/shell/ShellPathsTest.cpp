#include "shell/ShellPaths.h"

#include <sys/stat.h>

#include "ShellTestSupport.h"
#include "shell/DisplayNames.h"

namespace {

class ShellPathsTest : public ShellTest {
  protected:
    static std::string MakeFolder(const std::string& relative) {
        std::string path = TestHome() + "/" + relative;
        mkdir(path.c_str(), 0755);
        return path;
    }
};

TEST_F(ShellPathsTest, IdListToPath_NullIsTheDesktopDirectory_VirtualFolderIsEmpty) {
    EXPECT_EQ(IdListToPath(nullptr), TestDesktop());
    OwnedIdList drives;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, drives.Out()), S_OK);
    EXPECT_EQ(IdListToPath(drives.Get()), "");
}

TEST_F(ShellPathsTest, PathRoundTrips_SpacesNonUtf8AndLongNames) {
    for (const std::string& name :
         {std::string("with  spaces "), std::string("bytes \xFF\xFE end"), std::string(255, 'n')}) {
        std::string path = MakeFolder(name);
        OwnedIdList list;
        ASSERT_EQ(PathToIdList(path, list.Out()), S_OK) << path;
        EXPECT_EQ(IdListToPath(list.Get()), path);
    }
}

TEST_F(ShellPathsTest, SpecialFolderPath_MasksTheIdAndIsEmptyWithoutLocation) {
    EXPECT_EQ(SpecialFolderPath(0, CSIDL_PERSONAL), TestHome());
    EXPECT_EQ(SpecialFolderPath(0, 0x100 | CSIDL_MYPICTURES), TestHome() + "/Pictures");
    EXPECT_EQ(SpecialFolderPath(0, CSIDL_DRIVES), "");
    EXPECT_EQ(SpecialFolderPath(0, 3), "");
}

TEST_F(ShellPathsTest, SpecialFolderOf_FindsLowestMatchingId_Else50) {
    OwnedIdList home(ListOf(TestHome()));
    OwnedIdList drives;
    ASSERT_EQ(GetSpecialFolderLocation(0, 0x80 | CSIDL_DRIVES, drives.Out()), S_OK);
    OwnedIdList plain(ListOf(MakeFolder("plain")));
    EXPECT_EQ(SpecialFolderOf(drives.Get()), CSIDL_DRIVES);
    // Home is both CSIDL_PERSONAL (5) and CSIDL_PROFILE (40).
    OwnedIdList personal;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_PERSONAL, personal.Out()), S_OK);
    EXPECT_EQ(SpecialFolderOf(personal.Get()), CSIDL_PERSONAL);
    EXPECT_EQ(SpecialFolderOf(plain.Get()), 50);
    EXPECT_EQ(SpecialFolderOf(nullptr), 50);
}

TEST_F(ShellPathsTest, BindToFolder_NullAndEmptyAreTheDesktop) {
    ComPtr<IShellFolder> fromNull, fromEmpty, home;
    ASSERT_EQ(BindToFolder(nullptr, fromNull), S_OK);
    ASSERT_EQ(BindToFolder(EmptyIdList(), fromEmpty), S_OK);
    EXPECT_TRUE(IsDesktopFolder(fromNull.Get()));
    EXPECT_TRUE(IsDesktopFolder(fromEmpty.Get()));
    OwnedIdList homeList;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_PERSONAL, homeList.Out()), S_OK);
    ASSERT_EQ(BindToFolder(homeList.Get(), home), S_OK);
    EXPECT_FALSE(IsDesktopFolder(home.Get()));
}

TEST_F(ShellPathsTest, BindToFolder_OfAFileFails) {
    std::string file = TestHome() + "/file.txt";
    WriteFileBytes(file, "x");
    OwnedIdList list(ListOf(file));
    ComPtr<IShellFolder> folder;
    EXPECT_TRUE(FAILED(BindToFolder(list.Get(), folder)));
}

TEST_F(ShellPathsTest, Split_DeepListGivesBoundParentAndLastItem) {
    std::string path = MakeFolder("outer") + "/inner";
    mkdir(path.c_str(), 0755);
    OwnedIdList list(ListOf(path));
    ComPtr<IShellFolder> parent;
    OwnedIdList parentList, last;
    ASSERT_EQ(SplitIdList(list.Get(), parent, parentList.Out(), last.Out()), S_OK);
    EXPECT_EQ(IdListToPath(parentList.Get()), TestHome() + "/outer");
    EXPECT_EQ(IdListCount(last.Get()), 1);
    OwnedIdList joined(ConcatIdLists(nullptr, parentList.Get(), last.Get()));
    EXPECT_EQ(IdListBytes(joined.Get()), IdListBytes(list.Get()));
    ASSERT_TRUE(parent);
    EXPECT_EQ(GetDisplayName(parent.Get(), last.Get(), nkForParsing), path);
}

TEST_F(ShellPathsTest, Split_OneItemHasTheDesktopAsParent) {
    OwnedIdList drives;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, drives.Out()), S_OK);
    ComPtr<IShellFolder> parent;
    OwnedIdList parentList, last;
    ASSERT_EQ(SplitIdList(drives.Get(), parent, parentList.Out(), last.Out()), S_OK);
    EXPECT_TRUE(IsDesktopFolder(parent.Get()));
    EXPECT_EQ(parentList.Get(), nullptr);
    EXPECT_EQ(IdListBytes(last.Get()), IdListBytes(drives.Get()));
}

TEST_F(ShellPathsTest, Split_DesktopIsSplitAsItsDirectory) {
    ComPtr<IShellFolder> parent;
    OwnedIdList parentList, last;
    ASSERT_EQ(SplitIdList(nullptr, parent, parentList.Out(), last.Out()), S_OK);
    ASSERT_TRUE(parent);
    OwnedIdList joined(ConcatIdLists(nullptr, parentList.Get(), last.Get()));
    EXPECT_EQ(IdListToPath(joined.Get()), TestDesktop());
}

}  // namespace
