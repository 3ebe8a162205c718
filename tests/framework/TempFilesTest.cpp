#include "framework/TempFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/TempDir.h"

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_ino;
}

}  // namespace

// An original copy goes back into its own file (the same inode, so owner and
// links stay); one whose file is gone, one another user planted, and names
// that are not ours, stay.
TEST(TempFiles, TidyPutsOriginalsBackAndKeepsWhatIsNotItsToRemove) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "half-written");
    const ino_t inode = InodeOf(dir.File("a.jpg"));
    const std::string copy = ".kadrimark-AbCdEf." + std::to_string(inode) + ".orig";
    const std::string orphan = ".kadrimark-Orphan." + std::to_string(inode + 1000000) + ".orig";
    WriteFileBytes(dir.File(copy), "the whole original");
    WriteFileBytes(dir.File(orphan), "a photo that moved away");
    WriteFileBytes(dir.File(".kadrimark-notes"), "not ours");
    const std::string planted = ".kadrimark-Plant1." + std::to_string(inode) + ".orig";
    WriteFileBytes(dir.File(planted), "an attacker's bytes");
    ASSERT_EQ(chown(dir.File(planted).c_str(), 1234, 1234), 0);
    int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    TTempFile live;
    ASSERT_EQ(CreateTempFile(folder, live), 0);

    TidyTempFiles(folder);
    close(folder);

    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "the whole original");
    EXPECT_EQ(InodeOf(dir.File("a.jpg")), inode);
    EXPECT_EQ(NamesIn(dir.Path()),
              (std::set<std::string>{"a.jpg", orphan, planted, ".kadrimark-notes", live.name}));
}
