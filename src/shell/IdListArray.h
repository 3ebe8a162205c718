#pragma once

#include "shell/IdLists.h"

// A read-only view over one item id list that hands out single items and
// ancestors. The viewed list is not owned and must outlive the view. Each list
// that Item or Ancestor returns belongs to the view and stays valid until the
// next Item or Ancestor call or the view's end.
class TRzIdListArray {
  public:
    explicit TRzIdListArray(LPCITEMIDLIST list) : source_(list) {}
    ~TRzIdListArray();
    TRzIdListArray(const TRzIdListArray&) = delete;
    TRzIdListArray& operator=(const TRzIdListArray&) = delete;

    // Items before the terminator; 0 for null.
    int Count() const { return IdListCount(source_); }

    // One-item list holding item i. Null for a null source and for i outside
    // 0..Count-1; for an empty source, Item(0) is the empty list.
    LPITEMIDLIST Item(int i);

    // The first Count - n items; null for a null source and when Count - n < 0
    // or n < 0. Ancestor(1) is the parent's absolute list.
    LPITEMIDLIST Ancestor(int n);

  private:
    LPITEMIDLIST Keep(LPITEMIDLIST list);

    LPCITEMIDLIST source_;
    LPITEMIDLIST last_ = nullptr;
};
