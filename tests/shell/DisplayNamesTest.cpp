#include "shell/DisplayNames.h"

#include <sys/stat.h>

#include "ShellTestSupport.h"
#include "StubShellFolder.h"
#include "shell/ShellError.h"
#include "shell/ShellPaths.h"

namespace {

class DisplayNamesTest : public ShellTest {};

// Hands out one name in whichever way the test sets up, and counts the calls.
class NameFolder : public StubShellFolder {
  public:
    HRESULT firstAnswer = E_FAIL;
    HRESULT secondAnswer = S_OK;
    UINT secondType = STRRET_CSTR;
    std::string text = "named";
    UINT offset = 0;
    std::vector<STRRET> presets;
    std::vector<DWORD> flags;

    HRESULT GetDisplayNameOf(LPCITEMIDLIST, DWORD asked, STRRET* name) override {
        presets.push_back(*name);
        flags.push_back(asked);
        if (presets.size() == 1)
            return firstAnswer == S_OK ? Give(name, STRRET_WSTR) : firstAnswer;
        return secondAnswer == S_OK ? Give(name, secondType) : secondAnswer;
    }

  private:
    HRESULT Give(STRRET* name, UINT type) {
        name->uType = type;
        if (type == STRRET_WSTR) {
            name->pOleStr = static_cast<char*>(CoTaskMemAlloc(text.size() + 1));
            text.copy(name->pOleStr, text.size());
            name->pOleStr[text.size()] = '\0';
        } else if (type == STRRET_OFFSET) {
            name->uOffset = offset;
        } else {
            text.copy(name->cStr, text.size());
            name->cStr[text.size()] = '\0';
        }
        return S_OK;
    }
};

TEST_F(DisplayNamesTest, KindsMapToTheirFlags_AndFirstCallAsksForWideText) {
    OwnedIdList item(MakeIdList({"x"}));
    NameFolder folder;
    folder.firstAnswer = S_OK;
    for (int kind = 0; kind < 4; ++kind) {
        folder.presets.clear();
        EXPECT_EQ(GetDisplayName(&folder, item.Get(), kind), "named");
        EXPECT_EQ(folder.presets.front().uType, STRRET_WSTR);
    }
    EXPECT_EQ(folder.flags, (std::vector<DWORD>{SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING,
                                                SHGDN_INFOLDER | SHGDN_FOREDITING}));
}

TEST_F(DisplayNamesTest, SecondAttemptAsksForAnsiText_AndAllTextKindsConvert) {
    OwnedIdList item(MakeIdList({std::string("ab\0cd\0", 6)}));
    NameFolder folder;
    EXPECT_EQ(GetDisplayName(&folder, item.Get(), nkNormal), "named");
    ASSERT_EQ(folder.presets.size(), 2u);
    EXPECT_EQ(folder.presets[1].uType, STRRET_CSTR);

    NameFolder offsetFolder;
    offsetFolder.secondType = STRRET_OFFSET;
    offsetFolder.offset = 5;
    EXPECT_EQ(GetDisplayName(&offsetFolder, item.Get(), nkNormal), "cd");
    offsetFolder.presets.clear();
    offsetFolder.offset = 200;
    EXPECT_EQ(GetDisplayName(&offsetFolder, item.Get(), nkNormal), "");
}

TEST_F(DisplayNamesTest, TwoFailuresGiveEmptyName) {
    OwnedIdList item(MakeIdList({"x"}));
    NameFolder folder;
    folder.secondAnswer = E_FAIL;
    EXPECT_EQ(GetDisplayName(&folder, item.Get(), nkNormal), "");
    EXPECT_EQ(folder.presets.size(), 2u);
}

TEST_F(DisplayNamesTest, NamespaceNames_OfEachKind) {
    std::string path = TestHome() + "/Named Folder";
    mkdir(path.c_str(), 0755);
    OwnedIdList list(ListOf(path));
    ComPtr<IShellFolder> parent;
    OwnedIdList parentList, item;
    ASSERT_EQ(SplitIdList(list.Get(), parent, parentList.Out(), item.Out()), S_OK);
    EXPECT_EQ(GetDisplayName(parent.Get(), item.Get(), nkInFolder), "Named Folder");
    EXPECT_EQ(GetDisplayName(parent.Get(), item.Get(), nkForParsing), path);
    EXPECT_EQ(GetDisplayName(parent.Get(), item.Get(), nkForEditing), "Named Folder");
    EXPECT_EQ(GetAbsDisplayName(list.Get()), "Named Folder");
    // Without a folder the desktop answers for an absolute list.
    EXPECT_EQ(GetDisplayName(nullptr, list.Get(), nkForParsing), path);
}

TEST_F(DisplayNamesTest, AbsName_OfVirtualFolderAndDesktop) {
    OwnedIdList drives;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, drives.Out()), S_OK);
    EXPECT_EQ(GetAbsDisplayName(drives.Get()), "Computer");
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
    EXPECT_EQ(GetAbsDisplayName(nullptr), GetDisplayName(desktop.Get(), EmptyIdList(), nkInFolder));
}

TEST_F(DisplayNamesTest, AbsName_RaisesWhenTheParentCannotBeBound) {
    std::string file = TestHome() + "/plain.txt";
    WriteFileBytes(file, "x");
    OwnedIdList fileList(ListOf(file));
    OwnedIdList item(MakeIdList({"x"}));
    OwnedIdList belowFile(ConcatIdLists(nullptr, fileList.Get(), item.Get()));
    EXPECT_THROW(GetAbsDisplayName(belowFile.Get()), EShellError);
}

}  // namespace
