#include "shell/IdLists.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ShellTestSupport.h"
#include "platform/ShellItems.h"
#include "shell/IdListArray.h"
#include "shell/PidlList.h"
#include "shell/ShellLocator.h"
#include "shell/ShellPaths.h"

namespace {

class IdListsTest : public ShellTest {};

TEST_F(IdListsTest, Size_CountsItemsAndTerminator_NullIsZero) {
    OwnedIdList empty(MakeIdList({}));
    OwnedIdList two(MakeIdList({"ab", "cde"}));
    EXPECT_EQ(IdListSize(nullptr), 0u);
    EXPECT_EQ(IdListSize(empty.Get()), 2u);
    EXPECT_EQ(IdListSize(two.Get()), 4u + 5u + 2u);
    EXPECT_EQ(IdListCount(two.Get()), 2);
    EXPECT_EQ(IdListCount(nullptr), 0);
}

TEST_F(IdListsTest, Copy_OfNullOrEmpty_IsNewEmptyList) {
    OwnedIdList empty(MakeIdList({}));
    OwnedIdList fromNull(CopyIdList(nullptr, nullptr));
    OwnedIdList fromEmpty(CopyIdList(nullptr, empty.Get()));
    EXPECT_EQ(IdListBytes(fromNull.Get()), std::string(2, '\0'));
    EXPECT_EQ(IdListBytes(fromEmpty.Get()), std::string(2, '\0'));
    EXPECT_NE(fromEmpty.Get(), empty.Get());
}

TEST_F(IdListsTest, Concat_JoinsItemsInOrder_EitherSideMayBeNull) {
    OwnedIdList a(MakeIdList({"a1", "a2"}));
    OwnedIdList b(MakeIdList({"b"}));
    OwnedIdList joined(ConcatIdLists(nullptr, a.Get(), b.Get()));
    OwnedIdList expected(MakeIdList({"a1", "a2", "b"}));
    EXPECT_EQ(IdListBytes(joined.Get()), IdListBytes(expected.Get()));
    OwnedIdList nulls(ConcatIdLists(nullptr, nullptr, nullptr));
    EXPECT_EQ(IdListBytes(nulls.Get()), std::string(2, '\0'));
    OwnedIdList right(ConcatIdLists(nullptr, nullptr, b.Get()));
    EXPECT_EQ(IdListBytes(right.Get()), IdListBytes(b.Get()));
}

TEST_F(IdListsTest, CompareBytes_FirstDifferingByteDecides_ThenLength) {
    OwnedIdList a(MakeIdList({"abc"}));
    OwnedIdList b(MakeIdList({"abd"}));
    OwnedIdList longer(MakeIdList({"abc", "x"}));
    OwnedIdList high(MakeIdList({"\xF0"}));
    OwnedIdList low(MakeIdList({"\x10"}));
    EXPECT_LT(CompareIdListBytes(a.Get(), b.Get()), 0);
    EXPECT_GT(CompareIdListBytes(b.Get(), a.Get()), 0);
    EXPECT_EQ(CompareIdListBytes(a.Get(), a.Get()), 0);
    // Bytes compare unsigned.
    EXPECT_GT(CompareIdListBytes(high.Get(), low.Get()), 0);
    // "abc" then a terminator against "abc" then another item: the terminator's
    // zero byte sorts first.
    EXPECT_LT(CompareIdListBytes(a.Get(), longer.Get()), 0);
}

TEST_F(IdListsTest, CompareIdLists_IsATotalOrder_NullThenDesktopThenPlaces) {
    OwnedIdList empty1(MakeIdList({})), empty2(MakeIdList({}));
    OwnedIdList a(ListOf(MakeHomeFolder("a"))), b(ListOf(MakeHomeFolder("b")));
    // In rising order; equal neighbours share a rank.
    struct {
        LPCITEMIDLIST list;
        int rank;
    } lists[] = {{nullptr, 0}, {empty1.Get(), 1}, {empty2.Get(), 1}, {a.Get(), 2}, {b.Get(), 3}};
    for (const auto& x : lists)
        for (const auto& y : lists) {
            int expected = (x.rank > y.rank) - (x.rank < y.rank);
            EXPECT_EQ(CompareIdLists(x.list, y.list), expected) << x.rank << " vs " << y.rank;
        }
}

// Lists that run through a symbolic link whose target has gone cannot be
// compared by the shell (ENOTDIR): copies are still the same place, different
// lists are still different, whichever caller asks.
TEST_F(IdListsTest, FailedShellCompare_IsNeverReadAsAnOrder) {
    std::string top = MakeHomeFolder("gone-link");
    mkdir((top + "/target").c_str(), 0755);
    WriteFileBytes(top + "/target/one", "1");
    WriteFileBytes(top + "/target/two", "2");
    ASSERT_EQ(symlink("target", (top + "/link").c_str()), 0);
    OwnedIdList one(ListOf(top + "/link/one")), two(ListOf(top + "/link/two"));
    OwnedIdList oneCopy(CopyIdList(nullptr, one.Get()));
    std::filesystem::remove_all(top + "/target");

    EXPECT_EQ(CompareIdLists(one.Get(), oneCopy.Get()), 0);
    int order = CompareIdLists(one.Get(), two.Get());
    EXPECT_NE(order, 0);
    EXPECT_EQ(CompareIdLists(two.Get(), one.Get()), -order);

    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
    TRzPidlList list;
    list.SetCompareFolder(desktop.Get());
    list.SetSorted(true);
    list.SetDuplicates(TRzPidlList::dupIgnore);
    list.Add(one.Get());
    EXPECT_EQ(list.Add(oneCopy.Get()), 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.IndexOf(oneCopy.Get()), 0);

    TRzShellLocator locator;
    int changes = 0;
    locator.OnChange = [&] { ++changes; };
    locator.SetIdList(one.Get());
    locator.SetIdList(two.Get());
    locator.SetIdList(two.Get());
    EXPECT_EQ(changes, 2);
}

// An entry item: kind 3, mode, size, time, then the name and its NUL.
std::string EntryItem(const std::string& name) {
    return std::string("\x03") + std::string(20, '\0') + name + std::string(1, '\0');
}

TEST_F(IdListsTest, WellFormed_RejectsCraftedItems) {
    const std::string kCrafted[] = {EntryItem(""),
                                    EntryItem("."),
                                    EntryItem(".."),
                                    EntryItem("a/b"),
                                    EntryItem(std::string("a\0b", 3)),
                                    std::string("\x02\x03/mnt/../etc") + '\0',
                                    std::string("\x02\x03relative") + '\0',
                                    "\x01\x09",
                                    "\x07"};
    // Computer, the root drive, then the item: a path of its own when accepted.
    const std::string computer = "\x01\x02", root = std::string("\x02\x03/") + '\0';
    auto check = [&](const std::string& item) {
        OwnedIdList list(MakeIdList({computer, root, item}));
        bool wellFormed = IsWellFormedIdList(reinterpret_cast<const std::uint8_t*>(list.Get()),
                                             IdListSize(list.Get()));
        EXPECT_EQ(IdListToPath(list.Get()).empty(), !wellFormed) << item;
        return wellFormed;
    };
    EXPECT_TRUE(check(EntryItem("..a")));
    EXPECT_TRUE(check(EntryItem(".hidden")));
    for (const std::string& item : kCrafted)
        EXPECT_FALSE(check(item)) << item;
}

// Lists from outside (streams, drops, the clipboard) may be cut anywhere.
// Each cut is handed over in a block of exactly its size, so that a read past
// the end shows in the sanitizer build.
class IdListTruncationTest : public ::testing::Test {
  protected:
    using Block = std::vector<std::uint8_t>;
    struct FreeItems {
        void operator()(LPITEMIDLIST list) const { FreeList(list); }
    };
    using Items = std::unique_ptr<ITEMIDLIST, FreeItems>;

    static Block BlockOf(LPCITEMIDLIST list) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(list);
        return Block(bytes, bytes + ListBytes(list));
    }
    static bool WellFormed(const Block& block) {
        return IsWellFormedIdList(block.data(), static_cast<std::uint32_t>(block.size()));
    }
    // One item of each kind, and a path of several: Computer, a drive, an entry.
    std::vector<Block> Samples() const {
        struct stat facts = {};
        Items entry(MakeEntryItem(facts, "name")), drive(MakeDriveItem(3, "/mnt/disk"));
        Items computer(MakeVirtualItem(VirtualId::Computer));
        Items path(JoinLists(computer.get(), drive.get()));
        Items deeper(JoinLists(path.get(), entry.get()));
        return {BlockOf(entry.get()), BlockOf(drive.get()), BlockOf(computer.get()),
                BlockOf(deeper.get())};
    }
};

TEST_F(IdListTruncationTest, EveryCutListIsRefused) {
    for (const Block& whole : Samples()) {
        ASSERT_TRUE(WellFormed(whole));
        EXPECT_EQ(BoundedListBytes(whole.data(), whole.size()), whole.size());
        for (std::size_t length = 0; length < whole.size(); ++length) {
            Block cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_FALSE(WellFormed(cut)) << length;
            EXPECT_EQ(BoundedListBytes(cut.data(), cut.size()), 0u) << length;
        }
        Block longer = whole;
        longer.push_back('x');
        EXPECT_FALSE(WellFormed(longer));
    }
    // An item size below 2 never advances; one past the block is never followed.
    for (const Block& badSize : {Block{1, 0, 0, 0}, Block{0xFF, 0, 0, 0}}) {
        EXPECT_FALSE(WellFormed(badSize));
        EXPECT_EQ(BoundedListBytes(badSize.data(), badSize.size()), 0u);
    }
}

// A cut item that says its own, shorter size (as a cut list would) decodes as
// nothing, as do items whose fixed bytes are wrong.
TEST_F(IdListTruncationTest, EveryCutItemDecodesAsNothing) {
    for (const Block& whole : Samples()) {
        const std::size_t cb = whole[0];
        for (std::size_t shorter = 3; shorter < cb; ++shorter) {
            Block cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(shorter));
            cut[0] = static_cast<std::uint8_t>(shorter);
            cut.insert(cut.end(), {0, 0});
            EXPECT_EQ(KindOf(reinterpret_cast<LPCITEMIDLIST>(cut.data())), ItemKind::None)
                << shorter;
        }
    }
    const Block kBadItems[] = {
        {4, 0, 1, 9, 0, 0},          // an unknown virtual folder
        {4, 0, 7, 1, 0, 0},          // an unknown kind
        {6, 0, 2, 3, 'x', 0, 0, 0},  // a drive whose mount path is relative
    };
    for (const Block& bad : kBadItems)
        EXPECT_EQ(KindOf(reinterpret_cast<LPCITEMIDLIST>(bad.data())), ItemKind::None);
}

TEST_F(IdListsTest, Array_OverEmptyList) {
    OwnedIdList empty(MakeIdList({}));
    TRzIdListArray view(empty.Get());
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(IdListBytes(view.Item(0)), std::string(2, '\0'));
    EXPECT_EQ(view.Item(1), nullptr);
    EXPECT_EQ(view.Ancestor(1), nullptr);
    EXPECT_EQ(IdListBytes(view.Ancestor(0)), std::string(2, '\0'));
}

TEST_F(IdListsTest, Array_ItemsAndAncestors) {
    OwnedIdList list(MakeIdList({"a", "bb", "ccc"}));
    OwnedIdList first(MakeIdList({"a"}));
    OwnedIdList last(MakeIdList({"ccc"}));
    OwnedIdList parent(MakeIdList({"a", "bb"}));
    TRzIdListArray view(list.Get());
    EXPECT_EQ(view.Count(), 3);
    EXPECT_EQ(IdListBytes(view.Item(0)), IdListBytes(first.Get()));
    EXPECT_EQ(IdListBytes(view.Item(2)), IdListBytes(last.Get()));
    EXPECT_EQ(view.Item(3), nullptr);
    EXPECT_EQ(view.Item(-1), nullptr);
    EXPECT_EQ(IdListBytes(view.Ancestor(1)), IdListBytes(parent.Get()));
    EXPECT_EQ(IdListBytes(view.Ancestor(3)), std::string(2, '\0'));
    EXPECT_EQ(view.Ancestor(4), nullptr);
    EXPECT_EQ(view.Ancestor(-1), nullptr);
}

TEST_F(IdListsTest, Array_OverNull) {
    TRzIdListArray view(nullptr);
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(view.Item(0), nullptr);
    EXPECT_EQ(view.Ancestor(0), nullptr);
}

}  // namespace
