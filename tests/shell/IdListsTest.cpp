#include "shell/IdLists.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ShellTestSupport.h"
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

TEST_F(IdListsTest, WellFormed_RejectsEveryTruncationAndBadSize) {
    OwnedIdList list(ListOf(TestHome()));
    std::string bytes = IdListBytes(list.Get());
    auto check = [](const std::string& b) {
        return IsWellFormedIdList(reinterpret_cast<const std::uint8_t*>(b.data()),
                                  static_cast<std::uint32_t>(b.size()));
    };
    EXPECT_TRUE(check(bytes));
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_FALSE(check(bytes.substr(0, length))) << length;
    EXPECT_FALSE(check(bytes + "x"));
    EXPECT_FALSE(check(std::string("\x01\x00\x00\x00", 4)));
    EXPECT_FALSE(check(std::string("\xFF\x00\x00\x00", 4)));
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
