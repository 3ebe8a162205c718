#include "app/FolderItems.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "framework/StreamErrors.h"
#include "support/TempDir.h"

TEST(FolderItems, FoldersFirstThenNamesIgnoringCaseThenByCase) {
    TempDir dir;
    for (const char* name : {"b.jpg", "a.jpg", "A.jpg", ".hidden", "Яблоко", "арбуз", "Б"})
        WriteFileBytes(dir.File(name), "x");
    std::filesystem::create_directory(dir.File("zeta"));
    std::filesystem::create_directory(dir.File("Alpha"));
    ASSERT_EQ(symlink("zeta", dir.File("link-to-folder").c_str()), 0);
    EXPECT_EQ(ListFolderItems(dir.Path()),
              (std::vector<std::string>{"Alpha", "link-to-folder", "zeta", ".hidden", "A.jpg",
                                        "a.jpg", "b.jpg", "арбуз", "Б", "Яблоко"}));
}

TEST(FolderItems, CompareNamesFoldsCaseAndBreaksTiesByCase) {
    EXPECT_LT(CompareItemNames("abc", "ABD"), 0);
    EXPECT_LT(CompareItemNames("ABC", "abc"), 0);
    EXPECT_EQ(CompareItemNames("abc", "abc"), 0);
    EXPECT_LT(CompareItemNames("ab", "AB.jpg"), 0);
    EXPECT_LT(CompareItemNames("арбуз", "Б"), 0);
    EXPECT_LT(CompareItemNames("Я", "я"), 0);
    EXPECT_GT(CompareItemNames("\xFF", "a"), 0);  // a byte that is no UTF-8 still sorts
}

TEST(FolderItems, UnreadableFolderRaisesCannotOpen) {
    TempDir dir;
    try {
        ListFolderItems(dir.File("missing"));
        FAIL();
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open " + dir.File("missing") + ".\r\n(No such file or directory.)");
    }
}
