#include "shell/ShellEnv.h"

#include <QProcess>

#include "ShellTestSupport.h"

namespace {

TEST(ShellEnvTest, StartUpFillsVersionsAndAllocator) {
    EXPECT_EQ(ShellEnv.OsVersion.dwOSVersionInfoSize, 148u);
    EXPECT_TRUE(SystemIsNT());
    // Both libraries report 6.0: the most-significant half carries it.
    EXPECT_EQ(ShellEnv.ComCtlVersion.MS, 0x00060000u);
    EXPECT_EQ(ShellEnv.ComCtlVersion.LS, 0u);
    EXPECT_EQ(ShellEnv.ShellVersion.MS, 0x00060000u);
    ASSERT_TRUE(ShellEnv.ShellAllocator);
    long before = ShellAllocatorLiveBlocks();
    LPITEMIDLIST list = CopyIdList(nullptr, nullptr);
    EXPECT_EQ(ShellAllocatorLiveBlocks(), before + 1);
    FreeIdList(list);
    EXPECT_EQ(ShellAllocatorLiveBlocks(), before);
}

TEST(ShellEnvTest, ProgramThatNeverEndsTheEnvironmentExitsCleanly) {
    QProcess probe;
    probe.start(QStringLiteral(KADRIMARK_EXIT_PROBE), {});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
}

}  // namespace
