#pragma once

#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"
#include "platform/ShellItemInfo.h"

// The order of a folder's items by one of its columns, for sorting a whole
// level: the folder's CompareIDs defines it. Where the folder gives them, it
// is read from what is made once per item instead, so that a sort of n items
// decodes n times, not n log n times: keys by column 0 (FolderSortKeys, which
// also spares the case folding), decoded views by the other columns
// (FolderSortViews).
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
    std::vector<std::string> keys_;    // by column 0, else empty
    std::vector<ItemSortView> views_;  // by the other columns, else empty
    // With neither, the order is asked of CompareIDs.
};
