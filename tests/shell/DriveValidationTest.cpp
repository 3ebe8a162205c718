#include "shell/DriveValidation.h"

#include "ShellTestSupport.h"
#include "platform/Drives.h"
#include "shell/ShellEnv.h"

namespace {

class DriveValidationTest : public ShellTest {
  protected:
    TestMountTable table;
};

TEST_F(DriveValidationTest, RereadsDrivesUnlessSuspended) {
    ASSERT_EQ(Drives().size(), 1u);
    table.Write("40 22 8:17 / /media/stick rw,relatime - vfat /dev/sdb1 rw\n");
    ShellEnv.DrivesValidationSuspendCount = 1;
    ValidateDrives();
    EXPECT_EQ(Drives().size(), 1u);
    ShellEnv.DrivesValidationSuspendCount = 0;
    ValidateDrives();
    EXPECT_EQ(Drives().size(), 2u);
}

TEST_F(DriveValidationTest, NetDriveIsConnectedWhileItsMountAnswers) {
    table.Write("41 22 0:50 / " + table.Folder() + " rw,relatime - nfs server:/export rw\n");
    ValidateDrives();
    ASSERT_EQ(Drives().size(), 2u);
    ASSERT_EQ(GetDriveTypeA("B"), DRIVE_REMOTE);
    EXPECT_TRUE(IsNetDriveConnected('B'));
    EXPECT_FALSE(IsNetDriveConnected('Q'));
}

}  // namespace
