#include <gtest/gtest.h>

#include "platform/ShellItems.h"

namespace {

TEST(ShellItemsTest, EntryItem_KeepsModeSizeTimeAndName) {
    struct stat facts = {};
    facts.st_mode = S_IFREG | 0644;
    facts.st_size = 0x123456789;
    facts.st_mtim = {1181910600, 5};
    LPITEMIDLIST item = MakeEntryItem(facts, "photo.jpg");
    ASSERT_EQ(KindOf(item), ItemKind::Entry);
    EntryFacts back = EntryFactsOf(item);
    EXPECT_EQ(back.Mode, facts.st_mode);
    EXPECT_EQ(back.Size, 0x123456789u);
    EXPECT_EQ(back.ModifiedNs, 1181910600000000005);
    EXPECT_EQ(back.Name, "photo.jpg");
    EXPECT_EQ(item->mkid.cb, kEntryNameOffset + 10);
    EXPECT_EQ(reinterpret_cast<const char*>(item) + kEntryNameOffset, std::string("photo.jpg"));
    FreeList(item);
}

TEST(ShellItemsTest, JoinLists_PutsItemsInOrderWithOneTerminator) {
    LPITEMIDLIST home = MakeVirtualItem(VirtualId::Home);
    LPITEMIDLIST trash = MakeVirtualItem(VirtualId::Trash);
    LPITEMIDLIST both = JoinLists(home, trash);
    EXPECT_EQ(ListBytes(both), 10u);
    EXPECT_EQ(VirtualIdOf(NextItem(both)), VirtualId::Trash);
    EXPECT_FALSE(HasOneItem(both));
    LPITEMIDLIST first = CopyFirstItem(both);
    EXPECT_TRUE(HasOneItem(first));
    EXPECT_EQ(VirtualIdOf(first), VirtualId::Home);
    LPITEMIDLIST alone = JoinLists(nullptr, nullptr);
    EXPECT_TRUE(IsEmptyList(alone));
    EXPECT_EQ(ListBytes(alone), 2u);
    for (LPITEMIDLIST list : {home, trash, both, first, alone})
        FreeList(list);
    EXPECT_EQ(JoinPath("/", "etc"), "/etc");
    EXPECT_EQ(JoinPath("/home/u", "a"), "/home/u/a");
}

}  // namespace
