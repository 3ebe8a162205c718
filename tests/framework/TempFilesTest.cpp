#include "framework/TempFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_ino;
}

const std::string kOriginal = "the whole original photo";
const std::string kNew = "NEW HEAD + the whole original photo";

}  // namespace

// An original copy goes back into its own file (the same inode, so owner and
// links stay) only while that file holds what the dead run could have left:
// the original, the new content up to any point and the original after it,
// or the new content. Anything else - an unrelated file that took the inode,
// the owner's later edit, a copy planted by someone who could not write the
// file, a copy without its new content - leaves both and names the copy.
TEST(TempFiles, TidyPutsOriginalsBackOnlyOverTheFileTheyWereMadeFor) {
    struct Case {
        const char* what;
        std::string content;
        uid_t copyOwner;
        bool withNew;
        bool putBack;
    };
    const std::vector<Case> cases = {
        {"untouched", kOriginal, 0, true, true},
        {"partly overwritten", kNew.substr(0, 5) + kOriginal.substr(5), 0, true, true},
        {"grown past the original", kNew.substr(0, kOriginal.size() + 3), 0, true, true},
        {"fully overwritten", kNew, 0, true, true},
        {"made by a user who may write it", kNew.substr(0, 7) + kOriginal.substr(7), 65534, true,
         true},
        {"unrelated file", "My notes", 0, true, false},
        {"edited since", "NEW HEAD + the whole EDITED photo!!", 0, true, false},
        {"planted", kOriginal, 1234, true, false},
        {"new content gone", kOriginal, 0, false, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string photo = dir.File("a.jpg");
        WriteFileBytes(photo, c.content);
        // Only "made by a user who may write it" is writable by others.
        ASSERT_EQ(chmod(photo.c_str(), c.copyOwner == 65534 ? 0666 : 0644), 0);
        const std::string copy =
            OriginalCopyName(".kadrimark-AbCdEf.tmp", ".kadrimark-NewCon.tmp", InodeOf(photo));
        WriteFileBytes(dir.File(copy), kOriginal);
        ASSERT_EQ(chown(dir.File(copy).c_str(), c.copyOwner, c.copyOwner), 0);
        if (c.withNew) {
            WriteFileBytes(dir.File(".kadrimark-NewCon.tmp"), kNew);
            ASSERT_EQ(chown(dir.File(".kadrimark-NewCon.tmp").c_str(), c.copyOwner, c.copyOwner),
                      0);
        }
        std::set<std::string> before = NamesIn(dir.Path());
        int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

        std::vector<TLeftCopy> left = TidyTempFiles(folder);
        close(folder);

        EXPECT_EQ(ReadFileBytes(photo), c.putBack ? kOriginal : c.content) << c.what;
        EXPECT_EQ(NamesIn(dir.Path()), c.putBack ? std::set<std::string>{"a.jpg"} : before)
            << c.what;
        std::vector<std::string> leftNames;
        for (const TLeftCopy& one : left)
            leftNames.push_back(one.name);
        EXPECT_EQ(leftNames, c.putBack ? std::vector<std::string>{} : std::vector{copy}) << c.what;
    }
}

// Temporary files of dead runs go; one a live run holds, and names that are
// not ours, stay.
TEST(TempFiles, TidyRemovesOnlyDeadTemporaryFiles) {
    TempDir dir;
    WriteFileBytes(dir.File(".kadrimark-Stale1.tmp"), "left by a killed run");
    WriteFileBytes(dir.File(".kadrimark-notes"), "not ours");
    int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    TTempFile live;
    ASSERT_EQ(CreateTempFile(folder, live), 0);

    EXPECT_TRUE(TidyTempFiles(folder).empty());
    close(folder);

    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{".kadrimark-notes", live.name}));
}
