#include "shell/FolderRefresh.h"

#include <algorithm>
#include <numeric>

#include "shell/PidlList.h"

int RefreshDelay(bool focused) {
    return focused ? kChangeDelayFocusedMs : kChangeDelayMs;
}

int ChangeDelay(bool& skipNextChange, bool busy, bool focused) {
    if (skipNextChange) {
        skipNextChange = false;
        return 0;
    }
    if (busy)
        return 0;
    return RefreshDelay(focused);
}

HRESULT ReadEnumeration(IEnumIDList* enumerator, std::vector<TOwnedIdList>& items) {
    for (;;) {
        LPITEMIDLIST item = nullptr;
        const HRESULT last = enumerator->Next(1, &item, nullptr);
        if (last != S_OK)
            return last;
        items.emplace_back(item);
    }
}

namespace {

// Entries of one side of a pairing: their lists and their indexes on that side.
struct TSide {
    std::vector<LPCITEMIDLIST> Lists;
    std::vector<int> Indexes;

    void Add(LPCITEMIDLIST list, int index) {
        Lists.push_back(list);
        Indexes.push_back(index);
    }
};

struct TPairing {
    std::vector<std::pair<int, int>> Pairs;  // (shown, fresh) indexes
    TSide ShownLeft, FreshLeft;
};

// Pairs equal entries one to one, in the order of `compareFolder` (bytes
// without one). The shown entries are sorted once and each fresh entry is
// looked up by bisection. Sorting keeps equal entries together and in the
// order shown; a lookup finds the first of its run, and the run hands its
// entries out in turn.
TPairing PairOff(IShellFolder* compareFolder, const TSide& shown, const TSide& fresh) {
    TRzPidlList sorted;  // does not own the shown lists
    sorted.SetCompareFolder(compareFolder);
    sorted.SetDuplicates(TRzPidlList::dupAccept);
    sorted.SetCapacity(static_cast<int>(shown.Lists.size()));
    for (std::size_t i = 0; i < shown.Lists.size(); ++i)
        sorted.AddObject(const_cast<LPITEMIDLIST>(shown.Lists[i]), static_cast<std::int32_t>(i));
    sorted.SetSorted(true);

    std::vector<int> runOf(sorted.Count());  // the first entry of each entry's run
    for (int i = 0; i < sorted.Count(); ++i)
        sorted.Find(sorted.Items(i), runOf[i]);
    std::vector<int> nextOfRun(sorted.Count());  // at a run's first entry: its next unmatched
    std::iota(nextOfRun.begin(), nextOfRun.end(), 0);

    TPairing pairing;
    std::vector<bool> kept(shown.Lists.size());
    for (std::size_t i = 0; i < fresh.Lists.size(); ++i) {
        int run = 0;
        int* next = sorted.Find(fresh.Lists[i], run) ? &nextOfRun[run] : nullptr;
        if (next == nullptr || *next >= sorted.Count() || runOf[*next] != run) {
            pairing.FreshLeft.Add(fresh.Lists[i], fresh.Indexes[i]);
            continue;
        }
        const int match = sorted.Objects((*next)++);
        kept[match] = true;
        pairing.Pairs.emplace_back(shown.Indexes[match], fresh.Indexes[i]);
    }
    for (std::size_t i = 0; i < shown.Lists.size(); ++i)
        if (!kept[i])
            pairing.ShownLeft.Add(shown.Lists[i], shown.Indexes[i]);
    return pairing;
}

}  // namespace

TFreshMatch MatchFresh(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& shown,
                       const std::vector<TOwnedIdList>& fresh) {
    TSide shownSide, freshSide;
    for (std::size_t i = 0; i < shown.size(); ++i)
        shownSide.Add(shown[i], static_cast<int>(i));
    for (std::size_t i = 0; i < fresh.size(); ++i)
        freshSide.Add(fresh[i].get(), static_cast<int>(i));
    TPairing left = PairOff(nullptr, shownSide, freshSide);
    TFreshMatch match;
    if (folder != nullptr) {
        TPairing renewed = PairOff(folder, left.ShownLeft, left.FreshLeft);
        match.Renewed = std::move(renewed.Pairs);
        std::sort(match.Renewed.begin(), match.Renewed.end());
        left = std::move(renewed);
    }
    match.Gone = std::move(left.ShownLeft.Indexes);
    match.New = std::move(left.FreshLeft.Indexes);
    return match;
}
