#pragma once

#include <cstdint>
#include <vector>

#include "shell/IdLists.h"

// An ordered list of item id lists, each with a 32-bit value. The list does not
// copy the id lists added to it; with an owning allocator it takes them over and
// frees them through that allocator on Delete and Clear (and at its end).
//
// Order is the shell order of the compare folder (CompareInFolder, column 0)
// when one is set, else CompareIdListBytes. A sorted list
// keeps that order and is searched by bisection.
class TRzPidlList {
  public:
    enum Duplicates : std::uint8_t { dupIgnore = 0, dupAccept = 1, dupError = 2 };

    TRzPidlList() = default;
    virtual ~TRzPidlList();
    TRzPidlList(const TRzPidlList&) = delete;
    TRzPidlList& operator=(const TRzPidlList&) = delete;

    // AddObject(list, 0).
    virtual int Add(LPITEMIDLIST list);
    // Unsorted: appends. Sorted: inserts at the place Find gives; an equal entry
    // already there is returned without adding (dupIgnore, the new list is not
    // taken over), raises "TRzPidlList: Duplicate PIDL" (dupError, nothing
    // changes) or goes in before the equal entries (dupAccept).
    virtual int AddObject(LPITEMIDLIST list, std::int32_t value);

    // Bisection over a sorted list: whether an equal entry exists, and in
    // `index` where it is (or where `key` belongs). With dupAccept the index is
    // that of the first equal entry.
    bool Find(LPCITEMIDLIST key, int& index) const;
    // Index of an equal entry, or -1.
    int IndexOf(LPCITEMIDLIST key) const;

    void Delete(int index);
    void Clear();

    int Count() const { return static_cast<int>(entries_.size()); }
    LPITEMIDLIST Items(int index) const { return At(index).list; }
    std::int32_t Objects(int index) const { return At(index).value; }
    void SetCapacity(int capacity);

    bool Sorted() const { return sorted_; }
    // Turning sorting on sorts the entries once.
    void SetSorted(bool sorted);

    IShellFolder* CompareFolder() const { return compareFolder_.Get(); }
    void SetCompareFolder(IShellFolder* folder) {
        compareFolder_ = ComPtr<IShellFolder>::Share(folder);
    }
    IMalloc* Allocator() const { return allocator_.Get(); }
    void SetAllocator(IMalloc* allocator) { allocator_ = ComPtr<IMalloc>::Share(allocator); }
    Duplicates DuplicatesPolicy() const { return duplicates_; }
    void SetDuplicates(Duplicates policy) { duplicates_ = policy; }

  private:
    struct Entry {
        LPITEMIDLIST list;
        std::int32_t value;
    };

    const Entry& At(int index) const;
    int Compare(LPCITEMIDLIST a, LPCITEMIDLIST b) const;
    void Release(const Entry& entry);

    std::vector<Entry> entries_;
    bool sorted_ = false;
    ComPtr<IShellFolder> compareFolder_;
    ComPtr<IMalloc> allocator_;
    Duplicates duplicates_ = dupError;
};
