#include "shell/DriveValidation.h"

#include "../support/TempDir.h"
#include "ShellTestSupport.h"
#include "platform/Drives.h"
#include "shell/ShellEnv.h"

namespace {

const char* const kRootMount = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";

class DriveValidationTest : public ShellTest {
  protected:
    DriveValidationTest() {
        WriteFileBytes(table, kRootMount);
        SetMountTablePath(table);
    }
    ~DriveValidationTest() override { SetMountTablePath(""); }

    TempDir dir;
    std::string table = dir.File("mountinfo");
};

TEST_F(DriveValidationTest, RereadsDrivesUnlessSuspended) {
    ASSERT_EQ(Drives().size(), 1u);
    WriteFileBytes(table, std::string(kRootMount) +
                              "40 22 8:17 / /media/stick rw,relatime - vfat /dev/sdb1 rw\n");
    ShellEnv.DrivesValidationSuspendCount = 1;
    ValidateDrives();
    EXPECT_EQ(Drives().size(), 1u);
    ShellEnv.DrivesValidationSuspendCount = 0;
    ValidateDrives();
    EXPECT_EQ(Drives().size(), 2u);
}

TEST_F(DriveValidationTest, NetDriveIsConnectedWhileItsMountAnswers) {
    WriteFileBytes(table, std::string(kRootMount) + "41 22 0:50 / " + dir.Path() +
                              " rw,relatime - nfs server:/export rw\n");
    SetMountTablePath(table);
    ASSERT_EQ(Drives().size(), 2u);
    ASSERT_EQ(GetDriveTypeA("B"), DRIVE_REMOTE);
    EXPECT_TRUE(IsNetDriveConnected('B'));
    EXPECT_FALSE(IsNetDriveConnected('Q'));
}

}  // namespace
