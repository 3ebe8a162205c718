#include "shell/IdLists.h"

#include "ShellTestSupport.h"
#include "shell/IdListArray.h"

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

TEST_F(IdListsTest, CompareIdLists_NullAndEmptyRules) {
    OwnedIdList empty1(MakeIdList({}));
    OwnedIdList empty2(MakeIdList({}));
    OwnedIdList item(MakeIdList({"x"}));
    EXPECT_EQ(CompareIdLists(nullptr, nullptr), 0);
    EXPECT_EQ(CompareIdLists(nullptr, item.Get()), -1);
    EXPECT_EQ(CompareIdLists(item.Get(), nullptr), -1);
    EXPECT_EQ(CompareIdLists(empty1.Get(), empty2.Get()), 0);
    EXPECT_EQ(CompareIdLists(empty1.Get(), item.Get()), -1);
    EXPECT_EQ(CompareIdLists(item.Get(), empty1.Get()), -1);
}

TEST_F(IdListsTest, WellFormed_RejectsEveryTruncationAndBadSize) {
    OwnedIdList list(MakeIdList({"abc", "de"}));
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
