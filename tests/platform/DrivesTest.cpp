#include "platform/Drives.h"

#include "PlatformTest.h"
#include "platform/ShellServices.h"

namespace {

// A machine's table: pseudo file systems, a USB stick, a second disk, a share,
// a RAM disk, a CD, and mounts that are no drives.
const char* const kMachineTable =
    "21 1 0:20 / / rw - overlay overlay rw\n"
    "22 21 0:5 / /proc rw - proc proc rw\n"
    "23 21 0:6 / /sys rw - sysfs sysfs rw\n"
    "24 21 0:7 / /dev rw - devtmpfs udev rw\n"
    "25 21 0:8 / /run rw - tmpfs tmpfs rw\n"
    "26 21 8:17 / /media/usb rw shared:5 - vfat /dev/sdb1 rw\n"
    "27 21 8:2 / /mnt/data rw - ext4 /dev/sda2 rw\n"
    "28 21 0:40 / /mnt/nas rw - nfs4 server:/export rw\n"
    "29 21 0:41 / /media/ram rw - tmpfs tmpfs rw\n"
    "30 21 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
    "31 21 0:42 / /tmp rw - tmpfs tmpfs rw\n"
    "32 21 8:33 / /run/media/me/stick rw - exfat /dev/sdc1 rw\n"
    "33 21 8:3 / /mnt/my\\040disk rw - ext4 /dev/sda3 rw\n"
    "34 21 0:43 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "garbage line\n";

class DrivesTest : public PlatformTest {
  protected:
    ComPtr<IShellFolder> Computer() {
        IdList place;
        SHGetSpecialFolderLocation(0, CSIDL_DRIVES, place.Put());
        ComPtr<IShellFolder> desktop, computer;
        SHGetDesktopFolder(desktop.Put());
        desktop->BindToObject(place.Get(), nullptr, IID_IShellFolder, computer.PutVoid());
        return computer;
    }
};

std::vector<std::string> MountPaths(const std::vector<DriveInfo>& drives) {
    std::vector<std::string> paths;
    for (const DriveInfo& drive : drives)
        paths.push_back(drive.MountPath);
    return paths;
}

TEST_F(DrivesTest, ParseMountTable_KeepsRealMountsInPathOrderWithTheirKinds) {
    auto drives = ParseMountTable(kMachineTable);
    EXPECT_EQ(MountPaths(drives),
              (std::vector<std::string>{"/", "/media/ram", "/media/usb", "/mnt/cd", "/mnt/data",
                                        "/mnt/my disk", "/mnt/nas", "/run/media/me/stick"}));
    std::vector<UINT> kinds;
    for (const DriveInfo& drive : drives)
        kinds.push_back(drive.Type);
    EXPECT_EQ(kinds, (std::vector<UINT>{DRIVE_FIXED, DRIVE_RAMDISK, DRIVE_REMOVABLE, DRIVE_CDROM,
                                        DRIVE_FIXED, DRIVE_FIXED, DRIVE_REMOTE, DRIVE_REMOVABLE}));
}

TEST_F(DrivesTest, ParseMountTable_AlwaysHasTheRootAndTheLastMountWins) {
    auto drives = ParseMountTable(
        "27 21 8:2 / /mnt/data rw - ext4 /dev/sda2 rw\n"
        "28 21 0:40 / /mnt/data rw - nfs server:/x rw\n");
    ASSERT_EQ(MountPaths(drives), (std::vector<std::string>{"/", "/mnt/data"}));
    EXPECT_EQ(drives[1].Type, DRIVE_REMOTE);
    EXPECT_EQ(ParseMountTable("").size(), 1u);
}

TEST_F(DrivesTest, ParseMountTable_DecodesOnlyTheKernelsOctalEscapes) {
    const struct {
        std::string field, path;
    } cases[] = {{"/mnt/a\\040b", "/mnt/a b"},     {"/mnt/a\\134b", "/mnt/a\\b"},
                 {"/mnt/a\\377", "/mnt/a\xFF"},    {"/mnt/a\\9xy", "/mnt/a\\9xy"},
                 {"/mnt/a\\777b", "/mnt/a\\777b"}, {"/mnt/a\\04", "/mnt/a\\04"},
                 {"/mnt/a\\", "/mnt/a\\"},         {"/mnt/a\\x41", "/mnt/a\\x41"}};
    for (const auto& c : cases) {
        auto drives = ParseMountTable("27 21 8:2 / " + c.field + " rw - ext4 /dev/sda2 rw\n");
        EXPECT_EQ(MountPaths(drives), (std::vector<std::string>{"/", c.path})) << c.field;
    }
    // A NUL cannot be in a path: such a mount is no drive.
    auto drives = ParseMountTable("27 21 8:2 / /mnt/a\\000b rw - ext4 /dev/sda2 rw\n");
    EXPECT_EQ(MountPaths(drives), (std::vector<std::string>{"/"}));
}

TEST_F(DrivesTest, Letters_NameDrivesByTheirIndex) {
    UseMountTable(kMachineTable);
    EXPECT_EQ(GetLogicalDrives(), 0xFFu);
    EXPECT_EQ(GetDriveTypeA("A:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("c:"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeA("/mnt/nas"), DRIVE_REMOTE);
    EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("/nowhere"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(DriveRootOf("G"), "/mnt/nas");
    EXPECT_EQ(DriveRootOf("Q:\\"), "");
}

TEST_F(DrivesTest, ComputerFolder_ListsTheTablesDrivesUntilValidated) {
    UseMountTable(kMachineTable);
    ComPtr<IShellFolder> computer = Computer();
    ASSERT_TRUE(computer);
    auto names = ListNames(computer.Get(), SHCONTF_FOLDERS);
    EXPECT_EQ(names, (std::vector<std::string>{"File System", "ram", "usb", "cd", "data", "my disk",
                                               "nas", "stick"}));
    EXPECT_TRUE(ListNames(computer.Get(), SHCONTF_NONFOLDERS).empty());

    WriteFileBytes(MountTable(),
                   "21 1 0:20 / / rw - overlay overlay rw\n"
                   "40 21 8:49 / /media/new rw - ext4 /dev/sdd1 rw\n");
    EXPECT_EQ(ListNames(computer.Get(), SHCONTF_FOLDERS).size(), 8u);  // cached
    ULONG validate = SFGAO_VALIDATE;
    EXPECT_EQ(computer->GetAttributesOf(0, nullptr, &validate), S_OK);
    EXPECT_EQ(ListNames(computer.Get(), SHCONTF_FOLDERS),
              (std::vector<std::string>{"File System", "new"}));
}

TEST_F(DrivesTest, ComputerFolder_DrivesAreFoldersAndRemovableOnesSaySo) {
    UseMountTable(kMachineTable);
    ComPtr<IShellFolder> computer = Computer();
    ASSERT_TRUE(computer);
    ComPtr<IEnumIDList> items;
    ASSERT_EQ(computer->EnumObjects(0, SHCONTF_FOLDERS, items.Put()), S_OK);
    std::vector<std::string> removable;
    LPITEMIDLIST item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        IdList owned(item);
        ULONG attributes = SFGAO_FOLDER | SFGAO_REMOVABLE | SFGAO_FILESYSTEM;
        computer->GetAttributesOf(1, const_cast<LPCITEMIDLIST*>(&item), &attributes);
        EXPECT_TRUE(attributes & SFGAO_FOLDER);
        EXPECT_TRUE(attributes & SFGAO_FILESYSTEM);
        if (attributes & SFGAO_REMOVABLE)
            removable.push_back(NameOf(computer.Get(), item, SHGDN_FORPARSING));
    }
    EXPECT_EQ(removable,
              (std::vector<std::string>{"/media/usb", "/mnt/cd", "/run/media/me/stick"}));
}

TEST_F(DrivesTest, MountAnswers_ForAReachablePathOnly) {
    EXPECT_TRUE(MountAnswers("/"));
    EXPECT_FALSE(MountAnswers(root_.File("not-mounted")));
}

}  // namespace
