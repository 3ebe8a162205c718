#include "shell/PidlList.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Exception.h"
#include "shell/DisplayNames.h"
#include "shell/ShellEnv.h"
#include "shell/ShellPaths.h"

namespace {

class PidlListTest : public ShellTest {
  protected:
    // The opaque bytes of each entry's single item, in list order.
    static std::vector<std::string> Names(const TRzPidlList& list) {
        std::vector<std::string> names;
        for (int i = 0; i < list.Count(); ++i)
            names.push_back(IdListBytes(list.Items(i)).substr(2, IdListSize(list.Items(i)) - 4));
        return names;
    }
};

TEST_F(PidlListTest, Unsorted_AppendsAndFindsLinearly) {
    OwnedIdList b(MakeIdList({"b"})), a(MakeIdList({"a"})), missing(MakeIdList({"z"}));
    TRzPidlList list;
    EXPECT_EQ(list.Add(b.Get()), 0);
    EXPECT_EQ(list.AddObject(a.Get(), 7), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(list.Objects(1), 7);
    OwnedIdList equalToA(MakeIdList({"a"}));
    EXPECT_EQ(list.IndexOf(equalToA.Get()), 1);
    EXPECT_EQ(list.IndexOf(missing.Get()), -1);
}

TEST_F(PidlListTest, SortedOn_SortsOnce_ThenInsertsInOrder) {
    TRzPidlList list;
    list.SetAllocator(ShellEnv.ShellAllocator.Get());
    list.AddObject(MakeIdList({"c"}), 3);
    list.AddObject(MakeIdList({"a"}), 1);
    list.SetSorted(true);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(list.Objects(0), 1);
    EXPECT_EQ(list.AddObject(MakeIdList({"b"}), 2), 1);
    EXPECT_EQ(list.Add(MakeIdList({"d"})), 3);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    OwnedIdList c(MakeIdList({"c"}));
    EXPECT_EQ(list.IndexOf(c.Get()), 2);
}

TEST_F(PidlListTest, Find_ReportsInsertionPointForMissingKeys) {
    TRzPidlList list;
    list.SetAllocator(ShellEnv.ShellAllocator.Get());
    list.SetSorted(true);
    for (const char* name : {"b", "d", "f"})
        list.Add(MakeIdList({name}));
    int index = -1;
    for (auto [name, expected] :
         std::vector<std::pair<std::string, int>>{{"a", 0}, {"c", 1}, {"e", 2}, {"g", 3}}) {
        OwnedIdList key(MakeIdList({name}));
        EXPECT_FALSE(list.Find(key.Get(), index)) << name;
        EXPECT_EQ(index, expected) << name;
    }
    OwnedIdList d(MakeIdList({"d"}));
    EXPECT_TRUE(list.Find(d.Get(), index));
    EXPECT_EQ(index, 1);
}

TEST_F(PidlListTest, DuplicateIgnored_ReturnsExistingIndex_AndLeavesNewListToCaller) {
    TRzPidlList list;
    list.SetAllocator(ShellEnv.ShellAllocator.Get());
    list.SetSorted(true);
    list.SetDuplicates(TRzPidlList::dupIgnore);
    list.Add(MakeIdList({"a"}));
    list.Add(MakeIdList({"m"}));
    OwnedIdList again(MakeIdList({"m"}));
    EXPECT_EQ(list.Add(again.Get()), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_NE(list.Items(1), again.Get());
}

TEST_F(PidlListTest, DuplicateError_RaisesAndLeavesListUnchanged) {
    TRzPidlList list;
    list.SetAllocator(ShellEnv.ShellAllocator.Get());
    list.SetSorted(true);
    list.Add(MakeIdList({"m"}));
    OwnedIdList again(MakeIdList({"m"}));
    try {
        list.Add(again.Get());
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TRzPidlList: Duplicate PIDL");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(PidlListTest, DuplicateAccepted_InsertsBeforeEqualEntries) {
    TRzPidlList list;
    list.SetAllocator(ShellEnv.ShellAllocator.Get());
    list.SetSorted(true);
    list.SetDuplicates(TRzPidlList::dupAccept);
    list.AddObject(MakeIdList({"a"}), 1);
    list.AddObject(MakeIdList({"m"}), 2);
    list.AddObject(MakeIdList({"z"}), 3);
    EXPECT_EQ(list.AddObject(MakeIdList({"m"}), 4), 1);
    EXPECT_EQ(list.AddObject(MakeIdList({"m"}), 5), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "m", "m", "m", "z"}));
    EXPECT_EQ(list.Objects(1), 5);
    EXPECT_EQ(list.Objects(3), 2);
}

TEST_F(PidlListTest, OwningAllocator_FreesOnDeleteAndClear_OtherwiseListsStayCallers) {
    long before = ShellAllocatorLiveBlocks();
    {
        TRzPidlList owning;
        owning.SetAllocator(ShellEnv.ShellAllocator.Get());
        owning.Add(MakeIdList({"a"}));
        owning.Add(MakeIdList({"b"}));
        owning.Add(MakeIdList({"c"}));
        owning.Delete(1);
        EXPECT_EQ(ShellAllocatorLiveBlocks(), before + 2);
        EXPECT_EQ(Names(owning), (std::vector<std::string>{"a", "c"}));
        owning.Clear();
        EXPECT_EQ(ShellAllocatorLiveBlocks(), before);
        owning.Add(MakeIdList({"left at the end"}));
    }
    EXPECT_EQ(ShellAllocatorLiveBlocks(), before);
    OwnedIdList kept(MakeIdList({"x"}));
    {
        TRzPidlList borrowing;
        borrowing.Add(kept.Get());
        borrowing.Clear();
    }
    EXPECT_EQ(IdListBytes(kept.Get()), IdListBytes(OwnedIdList(MakeIdList({"x"})).Get()));
}

TEST_F(PidlListTest, OutOfRangeIndex_Raises) {
    TRzPidlList list;
    EXPECT_THROW(list.Items(0), Exception);
    EXPECT_THROW(list.Delete(-1), Exception);
}

}  // namespace

namespace {

class PidlListShellOrderTest : public ShellTest {};

TEST_F(PidlListShellOrderTest, CompareFolder_GivesTheShellOrder) {
    std::string path = TestHome() + "/order";
    mkdir(path.c_str(), 0755);
    mkdir((path + "/zebra").c_str(), 0755);
    WriteFileBytes(path + "/b.txt", "x");
    WriteFileBytes(path + "/A.txt", "x");
    OwnedIdList list(ListOf(path));
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(BindToFolder(list.Get(), folder), S_OK);
    ComPtr<IEnumIDList> items;
    ASSERT_EQ(folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.Put()), S_OK);

    TRzPidlList sorted;
    sorted.SetAllocator(ShellEnv.ShellAllocator.Get());
    sorted.SetCompareFolder(folder.Get());
    for (LPITEMIDLIST item; items->Next(1, &item, nullptr) == S_OK;)
        sorted.Add(item);
    sorted.SetSorted(true);
    std::vector<std::string> names;
    for (int i = 0; i < sorted.Count(); ++i)
        names.push_back(GetDisplayName(folder.Get(), sorted.Items(i), nkInFolder));
    EXPECT_EQ(names, (std::vector<std::string>{"zebra", "A.txt", "b.txt"}));

    // Bisection finds each entry by the shell's comparison.
    for (int i = 0; i < sorted.Count(); ++i)
        EXPECT_EQ(sorted.IndexOf(sorted.Items(i)), i);
}

}  // namespace
