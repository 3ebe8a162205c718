#include "platform/FolderScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "support/TempDir.h"

namespace {

TEST(FolderScanTest, EntriesKeepTheirStoredTypeAndSayWhereLinksLead) {
    TempDir dir;
    WriteFileBytes(dir.File("photo.jpg"), "x");
    WriteFileBytes(dir.File(".hidden"), "x");
    std::filesystem::create_directory(dir.File("folder"));
    ASSERT_EQ(symlink("folder", dir.File("to-folder").c_str()), 0);
    ASSERT_EQ(symlink("photo.jpg", dir.File("to-file").c_str()), 0);
    ASSERT_EQ(symlink("missing", dir.File("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);

    std::vector<FolderEntry> entries{{"stale", EntryType::File, false}};
    ASSERT_EQ(ScanFolder(dir.Path(), entries), 0);
    std::map<std::string, std::pair<EntryType, bool>> seen;
    for (const FolderEntry& entry : entries)
        seen[entry.Name] = {entry.Type, entry.LeadsToFolder};
    const std::map<std::string, std::pair<EntryType, bool>> expected{
        {"photo.jpg", {EntryType::File, false}}, {".hidden", {EntryType::File, false}},
        {"folder", {EntryType::Folder, true}},   {"to-folder", {EntryType::Link, true}},
        {"to-file", {EntryType::Link, false}},   {"dangling", {EntryType::Link, false}},
        {"pipe", {EntryType::Other, false}},
    };
    EXPECT_EQ(seen, expected);
}

TEST(FolderScanTest, AFolderThatCannotBeOpenedGivesItsErrorAndNoEntries) {
    TempDir dir;
    WriteFileBytes(dir.File("file"), "x");
    std::vector<FolderEntry> entries{{"stale", EntryType::File, false}};
    EXPECT_EQ(ScanFolder(dir.File("missing"), entries), ENOENT);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(ScanFolder(dir.File("file"), entries), ENOTDIR);
    EXPECT_EQ(ScanFolder("", entries), ENOENT);
}

TEST(FolderScanTest, MasksMatchWildcardsWithoutRegardToCase) {
    const struct {
        const char* mask;
        const char* name;
        bool matches;
    } kCases[] = {
        {"*.jpg", "15-06-07_1230.JPG", true},
        {"*.jpg", "a.jpeg", false},
        {"*.jpg", "jpg", false},
        {"?.txt", "a.txt", true},
        {"?.txt", "ab.txt", false},
        {"[ab]*", "Banana", true},
        {"[ab]*", "cherry", false},
        {"*", ".hidden", true},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(MatchesMask(c.mask, c.name), c.matches) << c.mask << " " << c.name;
}

}  // namespace
