#include "framework/TempFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <set>
#include <string>
#include <vector>

#include "support/CacheHome.h"
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

// A copy kept in the user's cache goes back only into a file of the folder its
// record names, under the rules above; one for another folder waits for a run
// there. A copy without its record, and a record without its copy, were left
// by runs that had not touched or had finished their file: they go.
TEST(TempFiles, CachedOriginalsGoBackOnlyIntoTheirFolderAndFile) {
    struct Case {
        const char* what;
        std::string content;
        bool recorded;
        bool forThisFolder;
        bool putBack;
        bool left;  // named as left
    };
    const std::vector<Case> cases = {
        {"partly overwritten", kNew.substr(0, 9) + kOriginal.substr(9), true, true, true, false},
        {"edited since", "edited by its owner", true, true, false, true},
        {"another folder's", kNew, true, false, false, false},
        {"never recorded", kOriginal, false, true, false, false},
    };
    for (const Case& c : cases) {
        TempDir dir, elsewhere;
        CacheHomeAt cacheHome(dir.File("cache"));
        const std::string photo = dir.File("a.jpg");
        WriteFileBytes(photo, c.content);
        TFileHandle cache;
        std::string cachePath;
        ASSERT_EQ(OpenOriginalsCache(true, cache, cachePath), 0);
        const std::string copy =
            OriginalCopyName(".kadrimark-AbCdEf.tmp", ".kadrimark-NewCon.tmp", InodeOf(photo));
        WriteFileBytes(cachePath + "/" + copy, kOriginal);
        WriteFileBytes(cachePath + "/.kadrimark-NewCon.tmp", kNew);
        TFileHandle folder(open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        TFileHandle other(open(elsewhere.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const int recordedFolder = (c.forThisFolder ? folder : other).Get();
        if (c.recorded) {
            ASSERT_EQ(RecordCachedCopy(cache.Get(), copy, recordedFolder, photo), 0);
        }
        const std::string stray = CopyRecordName(".kadrimark-Gone12.Gone34.5.orig");
        ASSERT_EQ(symlinkat("1:2:/x", cache.Get(), stray.c_str()), 0);
        std::set<std::string> before = NamesIn(cachePath);
        before.erase(stray);

        std::vector<TLeftCopy> left = TidyCachedOriginals(folder.Get());

        EXPECT_EQ(ReadFileBytes(photo), c.putBack ? kOriginal : c.content) << c.what;
        const bool stays = c.left || !c.forThisFolder;
        EXPECT_EQ(NamesIn(cachePath), stays ? before : std::set<std::string>{}) << c.what;
        std::vector<std::string> leftNames;
        for (const TLeftCopy& one : left)
            leftNames.push_back(one.name);
        EXPECT_EQ(leftNames,
                  c.left ? std::vector{cachePath + "/" + copy} : std::vector<std::string>{})
            << c.what;
    }
}

// The cache is made closed to others, and one of another owner is refused.
TEST(TempFiles, OriginalsCacheIsTheUsersOwn) {
    TempDir dir;
    CacheHomeAt cacheHome(dir.File("cache"));
    TFileHandle cache;
    std::string path;
    ASSERT_EQ(OpenOriginalsCache(true, cache, path), 0);
    EXPECT_EQ(path, dir.File("cache/kadrimarkexif/originals"));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    ASSERT_EQ(chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(OpenOriginalsCache(false, cache, path), 0);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    ASSERT_EQ(chown(path.c_str(), 1234, 1234), 0);
    EXPECT_EQ(OpenOriginalsCache(false, cache, path), EPERM);
    EXPECT_FALSE(cache.Valid());
}
