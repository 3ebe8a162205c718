#include "shell/FolderRefresh.h"

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

// The shown entries are sorted once and each fresh entry is looked up by
// bisection. Sorting keeps equal entries together and in the order shown;
// a lookup finds the first of its run, and the run hands its entries out in
// turn.
TFreshMatch MatchFresh(IShellFolder* compareFolder, const std::vector<LPCITEMIDLIST>& shown,
                       const std::vector<TOwnedIdList>& fresh) {
    TRzPidlList sorted;  // does not own the shown lists
    sorted.SetCompareFolder(compareFolder);
    sorted.SetDuplicates(TRzPidlList::dupAccept);
    sorted.SetCapacity(static_cast<int>(shown.size()));
    for (std::size_t i = 0; i < shown.size(); ++i)
        sorted.AddObject(const_cast<LPITEMIDLIST>(shown[i]), static_cast<std::int32_t>(i));
    sorted.SetSorted(true);

    std::vector<int> runOf(sorted.Count());  // the first entry of each entry's run
    for (int i = 0; i < sorted.Count(); ++i)
        sorted.Find(sorted.Items(i), runOf[i]);
    std::vector<int> nextOfRun(sorted.Count());  // at a run's first entry: its next unmatched
    std::iota(nextOfRun.begin(), nextOfRun.end(), 0);

    TFreshMatch match;
    std::vector<bool> kept(shown.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        int run = 0;
        if (!sorted.Find(fresh[i].get(), run)) {
            match.New.push_back(static_cast<int>(i));
            continue;
        }
        int& next = nextOfRun[run];
        if (next < sorted.Count() && runOf[next] == run)
            kept[sorted.Objects(next++)] = true;
        else
            match.New.push_back(static_cast<int>(i));
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (!kept[i])
            match.Gone.push_back(static_cast<int>(i));
    return match;
}
