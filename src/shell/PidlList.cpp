#include "shell/PidlList.h"

#include <algorithm>
#include <string>

#include "framework/Exception.h"

TRzPidlList::~TRzPidlList() {
    Clear();
}

int TRzPidlList::Add(LPITEMIDLIST list) {
    return AddObject(list, 0);
}

int TRzPidlList::AddObject(LPITEMIDLIST list, std::int32_t value) {
    int index = Count();
    if (sorted_ && Find(list, index)) {
        if (duplicates_ == dupIgnore)
            return index;
        if (duplicates_ == dupError)
            throw Exception("TRzPidlList: Duplicate PIDL");
    }
    entries_.insert(entries_.begin() + index, Entry{list, value});
    return index;
}

bool TRzPidlList::Find(LPCITEMIDLIST key, int& index) const {
    bool found = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        int mid = (lo + hi) >> 1;
        int order = Compare(entries_[mid].list, key);
        if (order < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (order == 0) {
                found = true;
                if (duplicates_ != dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TRzPidlList::IndexOf(LPCITEMIDLIST key) const {
    if (sorted_) {
        int index;
        return Find(key, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(entries_[i].list, key) == 0)
            return i;
    return -1;
}

void TRzPidlList::Delete(int index) {
    Release(At(index));
    entries_.erase(entries_.begin() + index);
}

void TRzPidlList::Clear() {
    for (const Entry& entry : entries_)
        Release(entry);
    entries_.clear();
}

void TRzPidlList::SetCapacity(int capacity) {
    if (capacity > Count())
        entries_.reserve(static_cast<std::size_t>(capacity));
}

void TRzPidlList::SetSorted(bool sorted) {
    if (sorted && !sorted_)
        std::stable_sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
            return Compare(a.list, b.list) < 0;
        });
    sorted_ = sorted;
}

const TRzPidlList::Entry& TRzPidlList::At(int index) const {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    return entries_[static_cast<std::size_t>(index)];
}

int TRzPidlList::Compare(LPCITEMIDLIST a, LPCITEMIDLIST b) const {
    return compareFolder_ ? CompareInFolder(compareFolder_.Get(), 0, a, b)
                          : CompareIdListBytes(a, b);
}

void TRzPidlList::Release(const Entry& entry) {
    if (allocator_)
        allocator_->Free(entry.list);
}
