#pragma once

#include <string>
#include <vector>

#include "platform/ShellFolder.h"
#include "platform/ShellInterfaces.h"

// The order of a folder's items by one of its columns, for sorting a whole
// level: the folder's CompareIDs defines it. Where the folder gives them, it
// is read from keys made once per item instead (FolderSortKeys), so that a
// sort of n items decodes and case-folds n times, not n log n times (in a
// folder of photos most sizes, types and times are shared, so nearly every
// comparison also reaches the names).
class TFolderItemOrder {
  public:
    // `folder` and `items` (one-item lists; null for an item without one)
    // must outlive the order.
    TFolderItemOrder(IShellFolder* folder, LPARAM column, std::vector<LPCITEMIDLIST> items);

    // Order of item a against item b (-1, 0, 1); a comparison the folder
    // cannot make, or with an item without a list, reads as "equal".
    int Compare(int a, int b) const;

    // Item positions in order; items that compare equal keep their order.
    std::vector<int> Sorted() const;

  private:
    IShellFolder* folder_;
    LPARAM column_;
    std::vector<LPCITEMIDLIST> items_;
    TSortKeys keys_;  // without starts, the order is asked of CompareIDs
};
