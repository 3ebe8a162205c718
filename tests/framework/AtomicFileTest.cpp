#include "framework/AtomicFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>

#include "support/TempDir.h"

namespace {

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void Replace(const std::string& path, const std::string& bytes) {
    TAtomicFile out(path);
    out.Write(bytes.data(), bytes.size());
    out.Commit();
}

int ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const TAtomicFileError& error) {
        return error.code().value();
    }
    return 0;
}

}  // namespace

TEST(AtomicFile, CommitReplacesContentKeepingModeOwnerAndTimes) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    WriteFileBytes(photo, "old content");
    ASSERT_EQ(chmod(photo.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(photo.c_str(), 1234, 4321), 0);
    }
    const timespec times[2] = {{1000000000, 5}, {1200000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, photo.c_str(), times, 0), 0);
    ino_t oldInode = StatOf(photo).st_ino;

    Replace(photo, "new content, longer");

    struct stat st = StatOf(photo);
    EXPECT_EQ(ReadFileBytes(photo), "new content, longer");
    EXPECT_NE(st.st_ino, oldInode);  // a new file took the old one's place
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 4321u);
    }
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, CommitKeepsExtendedAttributes) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    WriteFileBytes(photo, "old");
    const std::string tag = "holiday";
    if (setxattr(photo.c_str(), "user.xdg.tags", tag.data(), tag.size(), 0) != 0)
        GTEST_SKIP() << "the test folder's file system keeps no user attributes";

    Replace(photo, "new");

    char value[32] = {};
    ssize_t size = getxattr(photo.c_str(), "user.xdg.tags", value, sizeof value);
    EXPECT_EQ(std::string(value, size > 0 ? static_cast<std::size_t>(size) : 0), tag);
}

TEST(AtomicFile, WithoutCommitOriginalStaysAndTemporaryFileGoes) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "original");
    {
        TAtomicFile out(dir.File("a.jpg"));
        out.Write("partial", 7);
        EXPECT_EQ(NamesIn(dir.Path()).size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "original");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, SymbolicLinkStaysALinkAndItsTargetIsRewritten) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteFileBytes(dir.File("real/a.jpg"), "original");
    ASSERT_EQ(symlink("real/a.jpg", dir.File("link.jpg").c_str()), 0);

    TAtomicFile out(dir.File("link.jpg"));
    EXPECT_EQ(out.TargetPath(), dir.File("real/a.jpg"));
    out.Write("stamped", 7);
    out.Commit();

    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.jpg")));
    EXPECT_EQ(ReadFileBytes(dir.File("real/a.jpg")), "stamped");
    EXPECT_EQ(NamesIn(dir.File("real")), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, RefusesTargetsThatCannotBeRewritten) {
    TempDir dir;
    WriteFileBytes(dir.File("ro.jpg"), "original");
    ASSERT_EQ(chmod(dir.File("ro.jpg").c_str(), 0444), 0);
    std::filesystem::create_directory(dir.File("folder.jpg"));

    EXPECT_EQ(ErrorOf([&] { TAtomicFile out(dir.File("ro.jpg")); }), EACCES);
    EXPECT_EQ(ErrorOf([&] { TAtomicFile out(dir.File("folder.jpg")); }), EISDIR);
    EXPECT_EQ(ErrorOf([&] { TAtomicFile out(dir.File("missing/a.jpg")); }), ENOENT);
    EXPECT_EQ(ReadFileBytes(dir.File("ro.jpg")), "original");
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"folder.jpg", "ro.jpg"}));
}

TEST(AtomicFile, NewFileGetsDefaultMode) {
    TempDir dir;
    mode_t mask = umask(022);
    Replace(dir.File("new.bin"), "abc");
    umask(mask);
    EXPECT_EQ(ReadFileBytes(dir.File("new.bin")), "abc");
    EXPECT_EQ(StatOf(dir.File("new.bin")).st_mode & 07777, 0644u);
}

TEST(AtomicFile, FailedRenameKeepsTheTargetAndRemovesTheTemporaryFile) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    WriteFileBytes(photo, "original");
    TAtomicFile out(photo);
    out.Write("stamped", 7);
    // Something takes the file's place before the rename: rename cannot replace a folder.
    std::filesystem::remove(photo);
    std::filesystem::create_directory(photo);
    EXPECT_NE(ErrorOf([&] { out.Commit(); }), 0);
    EXPECT_TRUE(std::filesystem::is_directory(photo));
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, ProcessKilledBeforeRenameLeavesOriginalIntact) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    std::string original(100000, 'o');
    WriteFileBytes(photo, original);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAtomicFile out(photo);
        std::string stamped(200000, 's');
        out.Write(stamped.data(), stamped.size());
        raise(SIGKILL);  // dies between writing and renaming
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFileBytes(photo), original);
}

TEST(AtomicFileGroup, EverythingIsInPlaceAfterFlushAndOuterGroupIsRestored) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    WriteFileBytes(dir.File("b.jpg"), "old b");
    EXPECT_EQ(TAtomicFileGroup::Current(), nullptr);
    {
        TAtomicFileGroup group;
        EXPECT_EQ(TAtomicFileGroup::Current(), &group);
        Replace(dir.File("a.jpg"), "new a");
        Replace(dir.File("b.jpg"), "new bb");
        EXPECT_EQ(group.PendingCount(), 2u);
        EXPECT_EQ(group.PendingBytes(), 11);
        ASSERT_EQ(symlink("a.jpg", dir.File("link").c_str()), 0);
        EXPECT_TRUE(group.Holds(dir.File("link")));
        std::filesystem::remove(dir.File("link"));
        {
            TAtomicFileGroup inner;
            EXPECT_EQ(TAtomicFileGroup::Current(), &inner);
        }
        EXPECT_EQ(TAtomicFileGroup::Current(), &group);
        group.Flush();
        EXPECT_EQ(group.PendingCount(), 0u);
        EXPECT_FALSE(group.Holds(dir.File("a.jpg")));
        EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
        EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "new bb");
    }
    EXPECT_EQ(TAtomicFileGroup::Current(), nullptr);
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
}

TEST(AtomicFileGroup, FlushCommitsWhatItCanAndReportsTheFirstFailure) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    WriteFileBytes(dir.File("b.jpg"), "old b");
    WriteFileBytes(dir.File("c.jpg"), "old c");
    TAtomicFileGroup group;
    Replace(dir.File("a.jpg"), "new a");
    TAtomicFile b(dir.File("b.jpg"));
    b.Write("new b", 5);
    // Something takes b's place before its rename: rename cannot replace a folder.
    std::filesystem::remove(dir.File("b.jpg"));
    std::filesystem::create_directory(dir.File("b.jpg"));
    b.Commit();
    Replace(dir.File("c.jpg"), "new c");
    try {
        group.Flush();
        FAIL() << "Flush succeeded over a folder";
    } catch (const TAtomicFileError& error) {
        EXPECT_EQ(error.Path(), dir.File("b.jpg"));
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
    EXPECT_EQ(ReadFileBytes(dir.File("c.jpg")), "new c");
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST(AtomicFileGroup, DestructorFlushesWhatIsLeft) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    {
        TAtomicFileGroup group;
        Replace(dir.File("a.jpg"), "new a");
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
}
