#include <cerrno>
#include <filesystem>

#include "PlatformTest.h"
#include "platform/ShellServices.h"
#include "platform/SystemImageList.h"

namespace {

class ShellServicesTest : public PlatformTest {
  protected:
    std::string PathOfSpecial(int csidl) {
        IdList list;
        if (FAILED(SHGetSpecialFolderLocation(0, csidl, list.Put())))
            return "<none>";
        std::string path;
        return SHGetPathFromIDListA(list.Get(), path) ? path : "<no path>";
    }

    SHFILEINFOA InfoOf(const std::string& path, UINT flags, std::uintptr_t* result = nullptr) {
        SHFILEINFOA info;
        std::uintptr_t answer = SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags);
        if (result != nullptr)
            *result = answer;
        return info;
    }
};

TEST_F(ShellServicesTest, SpecialFolders_MapToTheirPlaces) {
    MakeFolder(Home() + "/Pictures");
    EXPECT_EQ(PathOfSpecial(CSIDL_DESKTOP), Desktop());
    EXPECT_EQ(PathOfSpecial(CSIDL_DESKTOPDIRECTORY), Desktop());
    EXPECT_EQ(PathOfSpecial(CSIDL_PERSONAL), Home());
    EXPECT_EQ(PathOfSpecial(CSIDL_PROFILE), Home());
    EXPECT_EQ(PathOfSpecial(CSIDL_BITBUCKET), DataHome() + "/Trash/files");
    EXPECT_EQ(PathOfSpecial(CSIDL_MYPICTURES), Home() + "/Pictures");
    EXPECT_EQ(PathOfSpecial(CSIDL_DRIVES), "<no path>");
    EXPECT_EQ(PathOfSpecial(CSIDL_SENDTO), "<none>");  // not made yet
    MakeFolder(DataHome() + "/KadrimarkEXIF/SendTo");
    EXPECT_EQ(PathOfSpecial(CSIDL_SENDTO), DataHome() + "/KadrimarkEXIF/SendTo");
    EXPECT_EQ(PathOfSpecial(2), "<none>");
}

TEST_F(ShellServicesTest, DesktopFolder_FollowsTheEnvironment) {
    MakeFolder(root_.File("elsewhere"));
    setenv("XDG_DESKTOP_DIR", root_.File("elsewhere").c_str(), 1);
    EXPECT_EQ(PathOfSpecial(CSIDL_DESKTOP), root_.File("elsewhere"));
    unsetenv("XDG_DESKTOP_DIR");
    std::filesystem::remove(Desktop());
    EXPECT_EQ(PathOfSpecial(CSIDL_DESKTOP), Home());
}

TEST_F(ShellServicesTest, FileInfo_SameIconGetsTheSameIndexInBothLists) {
    MakeFile(Home() + "/one.txt");
    MakeFile(Home() + "/two.txt");
    MakeFolder(Home() + "/folder");
    std::uintptr_t small = 0, large = 0;
    int first = InfoOf(Home() + "/one.txt", SHGFI_SYSICONINDEX | SHGFI_SMALLICON, &small).iIcon;
    int second = InfoOf(Home() + "/two.txt", SHGFI_SYSICONINDEX, &large).iIcon;
    int folder = InfoOf(Home() + "/folder", SHGFI_SYSICONINDEX | SHGFI_SMALLICON).iIcon;
    EXPECT_EQ(first, second);
    EXPECT_NE(first, folder);
    EXPECT_GT(folder, 0);
    auto* smallList = reinterpret_cast<HIMAGELIST>(small);
    auto* largeList = reinterpret_cast<HIMAGELIST>(large);
    ASSERT_NE(smallList, nullptr);
    ASSERT_NE(largeList, nullptr);
    EXPECT_EQ(smallList->Size(), 16);
    EXPECT_EQ(largeList->Size(), 32);
    EXPECT_EQ(smallList->Count(), largeList->Count());
    EXPECT_GT(smallList->Count(), folder);
    std::uintptr_t missing = 1;
    InfoOf(Home() + "/nothing-here", SHGFI_SYSICONINDEX, &missing);
    EXPECT_EQ(missing, 0u);
}

TEST_F(ShellServicesTest, FileInfo_ByIdListGivesIconsAndTypeNames) {
    IdList computer, home;
    SHGetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Put());
    SHGetSpecialFolderLocation(0, CSIDL_PERSONAL, home.Put());
    SHFILEINFOA info;
    const auto* asText = reinterpret_cast<const char*>(computer.Get());
    EXPECT_NE(SHGetFileInfoA(asText, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_TYPENAME), 0u);
    EXPECT_STREQ(info.szTypeName, "System Folder");
    SHGetFileInfoA(asText, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX);
    int computerIcon = info.iIcon;
    SHGetFileInfoA(reinterpret_cast<const char*>(home.Get()), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_SYSICONINDEX);
    EXPECT_NE(info.iIcon, computerIcon);
    MakeFile(Home() + "/notes.txt");
    IdList file;
    IShellFolder* desktop;
    SHGetDesktopFolder(&desktop);
    desktop->ParseDisplayName(0, nullptr, (Home() + "/notes.txt").c_str(), nullptr, file.Put(),
                              nullptr);
    desktop->Release();
    EXPECT_NE(SHGetFileInfoA(reinterpret_cast<const char*>(file.Get()), 0, &info, sizeof info,
                             SHGFI_PIDL | SHGFI_TYPENAME),
              0u);
    EXPECT_STRNE(info.szTypeName, "");
}

TEST_F(ShellServicesTest, Versions_ReportNtAndSixPointZero) {
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
    ASSERT_TRUE(GetVersionExA(&os));
    EXPECT_EQ(os.dwPlatformId, VER_PLATFORM_WIN32_NT);
    VS_FIXEDFILEINFO version = {};
    ASSERT_TRUE(GetSystemLibraryVersion("comctl32.dll", version));
    EXPECT_EQ(version.dwFileVersionMS, 0x00060000u);
    ASSERT_TRUE(GetSystemLibraryVersion("shell32.dll", version));
    EXPECT_EQ(version.dwFileVersionMS, 0x00060000u);
    EXPECT_FALSE(GetSystemLibraryVersion("netapi32.dll", version));
}

TEST_F(ShellServicesTest, SetErrorMode_ReturnsThePreviousMode) {
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(SetErrorMode(old), SEM_FAILCRITICALERRORS);
}

}  // namespace
