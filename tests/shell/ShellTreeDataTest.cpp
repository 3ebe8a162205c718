#include "shell/ShellTreeData.h"

#include <sys/stat.h>

#include "ShellTestSupport.h"
#include "shell/DisplayNames.h"
#include "shell/IdListArray.h"
#include "shell/ShellPaths.h"

namespace {

// A root record for $HOME/tree and a child record for $HOME/tree/child.
class ShellTreeDataTest : public ShellTest {
  protected:
    void SetUp() override {
        rootPath = MakeHomeFolder("tree");
        childPath = rootPath + "/child";
        mkdir(childPath.c_str(), 0755);
        ASSERT_EQ(PathToIdList(rootPath, rootList.Out()), S_OK);
        ASSERT_EQ(PathToIdList(childPath, childList.Out()), S_OK);
        TRzIdListArray view(childList.Get());
        *childItem.Out() = CopyIdList(nullptr, view.Item(view.Count() - 1));
        root.SetLists(nullptr, rootList.Get());
        child.SetLists(&root, childItem.Get());
    }

    std::string rootPath, childPath;
    OwnedIdList rootList, childList;
    OwnedIdList childItem;
    TRzShellTreeData root{nullptr};
    TRzShellTreeData child{nullptr};
};

TEST_F(ShellTreeDataTest, RootKeepsItsAbsoluteListAndLastItem) {
    EXPECT_EQ(IdListBytes(root.AbsoluteIdList()), IdListBytes(rootList.Get()));
    EXPECT_NE(root.AbsoluteIdList(), rootList.Get());
    TRzIdListArray view(rootList.Get());
    EXPECT_EQ(IdListBytes(root.RelativeIdList()), IdListBytes(view.Item(view.Count() - 1)));
    EXPECT_EQ(root.ParentData(), nullptr);
}

TEST_F(ShellTreeDataTest, ChildBuildsAbsoluteListOnceFromItsParent) {
    LPCITEMIDLIST absolute = child.AbsoluteIdList();
    EXPECT_EQ(IdListBytes(absolute), IdListBytes(childList.Get()));
    EXPECT_EQ(child.AbsoluteIdList(), absolute);
    EXPECT_EQ(IdListToPath(absolute), childPath);
}

TEST_F(ShellTreeDataTest, Folders_RootParentFromSplit_ChildParentIsRootsOwnFolder) {
    IShellFolder* rootParent = root.ParentFolder();
    ASSERT_NE(rootParent, nullptr);
    EXPECT_EQ(GetDisplayName(rootParent, root.RelativeIdList(), nkForParsing), rootPath);
    IShellFolder* rootFolder = root.OwnFolder();
    ASSERT_NE(rootFolder, nullptr);
    EXPECT_EQ(root.OwnFolder(), rootFolder);
    EXPECT_EQ(child.ParentFolder(), rootFolder);
    EXPECT_NE(child.OwnFolder(), nullptr);
}

TEST_F(ShellTreeDataTest, SetOwnFolder_IsWhatTheRootEnumerates) {
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
    root.SetOwnFolder(desktop.Get());
    EXPECT_EQ(root.OwnFolder(), desktop.Get());
    EXPECT_EQ(child.ParentFolder(), desktop.Get());
}

TEST_F(ShellTreeDataTest, DesktopRoot_OwnFolderIsTheDesktop) {
    TRzShellTreeData desktopRoot(nullptr);
    desktopRoot.SetLists(nullptr, nullptr);
    EXPECT_EQ(IdListSize(desktopRoot.AbsoluteIdList()), 2u);
    EXPECT_TRUE(IsDesktopFolder(desktopRoot.OwnFolder()));
    EXPECT_FALSE(desktopRoot.CanRename());
}

TEST_F(ShellTreeDataTest, ReplaceItem_RebuildsAbsoluteList_ForgetDropsDescendantsCache) {
    std::string innerPath = childPath + "/inner";
    mkdir(innerPath.c_str(), 0755);
    OwnedIdList innerList(ListOf(innerPath));
    TRzIdListArray innerView(innerList.Get());
    TRzShellTreeData grandchild(nullptr);
    grandchild.SetLists(&child, innerView.Item(innerView.Count() - 1));
    EXPECT_EQ(IdListToPath(grandchild.AbsoluteIdList()), innerPath);

    ASSERT_EQ(rename(childPath.c_str(), (rootPath + "/renamed").c_str()), 0);
    OwnedIdList renamed(ListOf(rootPath + "/renamed"));
    TRzIdListArray view(renamed.Get());
    child.ReplaceItem(view.Item(view.Count() - 1));
    EXPECT_EQ(IdListToPath(child.AbsoluteIdList()), rootPath + "/renamed");

    grandchild.ForgetCachedValues();
    EXPECT_EQ(IdListToPath(grandchild.AbsoluteIdList()), rootPath + "/renamed/inner");
    ASSERT_NE(grandchild.OwnFolder(), nullptr);
}

TEST_F(ShellTreeDataTest, RootOfSeveralItems_KeepsItsPlaceAfterForgetAndReplace) {
    ASSERT_GT(IdListCount(rootList.Get()), 1);
    root.ForgetCachedValues();
    EXPECT_EQ(IdListBytes(root.AbsoluteIdList()), IdListBytes(rootList.Get()));

    std::string renamedPath = rootPath + " renamed";
    ASSERT_EQ(rename(rootPath.c_str(), renamedPath.c_str()), 0);
    OwnedIdList renamed(ListOf(renamedPath));
    TRzIdListArray view(renamed.Get());
    root.ReplaceItem(view.Item(view.Count() - 1));
    EXPECT_EQ(IdListToPath(root.AbsoluteIdList()), renamedPath);
    child.ForgetCachedValues();
    EXPECT_EQ(IdListToPath(child.AbsoluteIdList()), renamedPath + "/child");
}

TEST_F(ShellTreeDataTest, CanRename_NeverTheRoot_NorVirtualFolders) {
    EXPECT_FALSE(root.CanRename());
    EXPECT_TRUE(child.CanRename());
    TRzShellTreeData desktopRoot(nullptr);
    desktopRoot.SetLists(nullptr, nullptr);
    OwnedIdList drives;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, drives.Out()), S_OK);
    TRzShellTreeData computer(nullptr);
    computer.SetLists(&desktopRoot, drives.Get());
    EXPECT_FALSE(computer.CanRename());
}

}  // namespace
