#include "shell/FolderRefresh.h"

#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "StubShellFolder.h"

namespace {

class FolderRefreshTest : public ShellTest {};

// A folder whose order reads only an item's first byte, as a shell order
// reads a name and not the size and time a file's list also holds.
class FirstByteFolder : public StubShellFolder {
  public:
    HRESULT CompareIDs(LPARAM, LPCITEMIDLIST a, LPCITEMIDLIST b) override {
        const auto first = [](LPCITEMIDLIST list) { return IdListBytes(list)[2]; };
        return MakeCompareResult((first(a) > first(b)) - (first(a) < first(b)));
    }
    static HRESULT MakeCompareResult(int order) { return static_cast<HRESULT>(order & 0xFFFF); }
};

struct MatchCase {
    const char* what;
    std::vector<std::string> shown, fresh;
    std::vector<int> gone, added;
    bool byFolder = false;
    std::vector<std::pair<int, int>> renewed = {};
};

TEST_F(FolderRefreshTest, MatchFresh_PairsEqualListsOneToOne_ThenRenewsByTheFoldersOrder) {
    const MatchCase kCases[] = {
        {"reordered", {"a", "b", "c"}, {"c", "a", "b"}, {}, {}},
        {"kept, removed, added", {"a", "b", "c"}, {"d", "c", "a"}, {1}, {0}},
        {"nothing fresh", {"a", "b"}, {}, {0, 1}, {}},
        {"nothing shown", {}, {"b", "a"}, {}, {0, 1}},
        {"duplicates on both sides", {"a", "a", "b"}, {"b", "a", "a"}, {}, {}},
        {"two shown, one fresh: the later goes", {"a", "b", "a"}, {"b", "a"}, {2}, {}},
        {"one shown, two fresh: one is new", {"a"}, {"a", "a"}, {}, {1}},
        {"changed bytes, no folder", {"x1", "y1"}, {"y2", "x1"}, {1}, {0}},
        {"changed bytes, renewed by the folder",
         {"x1", "y1"},
         {"y2", "x1"},
         {},
         {},
         true,
         {{1, 0}}},
        {"equal bytes pair before the folder's order",
         {"x1", "x2", "y1"},
         {"x2", "y1"},
         {0},
         {},
         true},
        {"folder duplicates pair off", {"x1", "x2", "y1"}, {"x3", "y1"}, {1}, {}, true, {{0, 0}}},
        {"renewed, gone and new together",
         {"a1", "b1", "c1"},
         {"d1", "c2", "a1"},
         {1},
         {0},
         true,
         {{2, 1}}},
    };
    FirstByteFolder folder;
    for (const MatchCase& c : kCases) {
        std::vector<TOwnedIdList> shownLists, fresh;
        std::vector<LPCITEMIDLIST> shown;
        for (const std::string& item : c.shown) {
            shownLists.emplace_back(MakeIdList({item}));
            shown.push_back(shownLists.back().get());
        }
        for (const std::string& item : c.fresh)
            fresh.emplace_back(MakeIdList({item}));
        const TFreshMatch match = MatchFresh(c.byFolder ? &folder : nullptr, shown, fresh);
        EXPECT_EQ(match.Gone, c.gone) << c.what;
        EXPECT_EQ(match.New, c.added) << c.what;
        EXPECT_EQ(match.Renewed, c.renewed) << c.what;
    }
}

TEST_F(FolderRefreshTest, ChangeDelay_SkipsTheOwnChangeOnce_WaitsOutBusyness_ThenByFocus) {
    const struct {
        bool skip, busy, focused;
        int delay;
    } kCases[] = {
        {true, false, true, 0},
        {true, true, false, 0},
        {false, true, true, 0},
        {false, false, true, kChangeDelayFocusedMs},
        {false, false, false, kChangeDelayMs},
    };
    for (const auto& c : kCases) {
        bool skip = c.skip;
        EXPECT_EQ(ChangeDelay(skip, c.busy, c.focused), c.delay) << c.skip << c.busy << c.focused;
        EXPECT_FALSE(skip);  // a skip serves one change
    }
}

}  // namespace
