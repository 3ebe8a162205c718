#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ShellAllocator.h"
#include "platform/ShellItems.h"

namespace {

std::string BytesOf(LPCITEMIDLIST list) {
    return std::string(reinterpret_cast<const char*>(list), ListBytes(list));
}

// A list made of raw bytes, in a shell-allocator block.
struct RawList {
    explicit RawList(const std::string& bytes) {
        list = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(bytes.size()));
        std::memcpy(list, bytes.data(), bytes.size());
    }
    ~RawList() { CoTaskMemFree(list); }
    LPITEMIDLIST list;
};

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

TEST(ShellItemsTest, KindOf_RejectsEveryTruncationAndBadBytes) {
    struct stat facts = {};
    LPITEMIDLIST entry = MakeEntryItem(facts, "name");
    LPITEMIDLIST drive = MakeDriveItem(3, "/mnt/disk");
    for (LPITEMIDLIST item : {entry, drive}) {
        std::string bytes = BytesOf(item);
        std::size_t cb = item->mkid.cb;
        // Each shorter item says its own (shorter) size, as a cut list would.
        for (std::size_t shorter = 3; shorter < cb; ++shorter) {
            std::string cut = bytes.substr(0, shorter) + std::string(2, '\0');
            cut[0] = static_cast<char>(shorter);
            cut[1] = 0;
            RawList raw(cut);
            EXPECT_EQ(KindOf(raw.list), ItemKind::None) << shorter;
        }
        FreeList(item);
    }
    RawList badVirtual(std::string("\x04\x00\x01\x09\x00\x00", 6));
    EXPECT_EQ(KindOf(badVirtual.list), ItemKind::None);
    RawList unknownKind(std::string("\x04\x00\x07\x01\x00\x00", 6));
    EXPECT_EQ(KindOf(unknownKind.list), ItemKind::None);
    RawList relativeDrive(std::string("\x06\x00\x02\x03x\x00\x00\x00", 8));
    EXPECT_EQ(KindOf(relativeDrive.list), ItemKind::None);
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
