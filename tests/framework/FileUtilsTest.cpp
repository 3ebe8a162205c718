#include "framework/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <cstdlib>

#include "support/TempDir.h"

TEST(FileProbe, PlainFileIsReadableAndWritable) {
    TempDir dir;
    WriteFileBytes(dir.File("a"), "x");
    TFileProbe probe = ProbeFile(dir.File("a"));
    EXPECT_TRUE(probe.Readable);
    EXPECT_TRUE(probe.Writable);
}

TEST(FileProbe, MissingFileAndFolderAndFifoAreNotReadable) {
    TempDir dir;
    EXPECT_EQ(ProbeFile(dir.File("none")).Error, ENOENT);
    TFileProbe folder = ProbeFile(dir.Path());
    EXPECT_FALSE(folder.Readable);
    EXPECT_EQ(folder.Error, EISDIR);
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
    TFileProbe fifo = ProbeFile(dir.File("fifo"));  // must not block
    EXPECT_FALSE(fifo.Readable);
    EXPECT_EQ(fifo.Error, EINVAL);
}

TEST(FileProbe, FileWithoutWriteBitIsNotWritableEvenForRoot) {
    TempDir dir;
    WriteFileBytes(dir.File("ro"), "x");
    ASSERT_EQ(chmod(dir.File("ro").c_str(), 0444), 0);
    TFileProbe probe = ProbeFile(dir.File("ro"));
    EXPECT_TRUE(probe.Readable);
    EXPECT_FALSE(probe.Writable);
}

TEST(FileProbe, FileLockedByAnotherHolderIsNotWritable) {
    TempDir dir;
    WriteFileBytes(dir.File("locked"), "x");
    int holder = open(dir.File("locked").c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_SH), 0);
    EXPECT_FALSE(ProbeFile(dir.File("locked")).Writable);
    close(holder);
    EXPECT_TRUE(ProbeFile(dir.File("locked")).Writable);
}

TEST(FileUtils, NameTakenSeesDanglingLinks) {
    TempDir dir;
    ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling").c_str()), 0);
    EXPECT_TRUE(NameTaken(dir.File("dangling")));
    EXPECT_FALSE(NameTaken(dir.File("free")));
    EXPECT_TRUE(RemoveFile(dir.File("dangling")));
    EXPECT_FALSE(RemoveFile(dir.File("dangling")));
}

TEST(FileUtils, TempFolderPathIsTrimmedWithOneSlash) {
    const char* saved = std::getenv("TMPDIR");
    std::string restore = saved != nullptr ? saved : "";
    setenv("TMPDIR", "  /var/tmp  ", 1);
    EXPECT_EQ(TempFolderPath(), "/var/tmp/");
    setenv("TMPDIR", "/x/", 1);
    EXPECT_EQ(TempFolderPath(), "/x/");
    unsetenv("TMPDIR");
    EXPECT_EQ(TempFolderPath(), "/tmp/");
    if (saved != nullptr)
        setenv("TMPDIR", restore.c_str(), 1);
}

TEST(FileUtils, TickCountNeverRunsBackwards) {
    std::uint32_t first = TickCountMs();
    usleep(20000);
    std::uint32_t later = TickCountMs();
    EXPECT_GE(later - first, 15u);
    EXPECT_LT(later - first, 5000u);
}
