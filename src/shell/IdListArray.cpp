#include "shell/IdListArray.h"

#include <algorithm>

TRzIdListArray::~TRzIdListArray() {
    FreeIdList(last_);
}

LPITEMIDLIST TRzIdListArray::Keep(LPITEMIDLIST list) {
    FreeIdList(last_);
    last_ = list;
    return list;
}

LPITEMIDLIST TRzIdListArray::Item(int i) {
    int count = Count();
    // An empty source still answers item 0 (with the empty list).
    if (source_ == nullptr || i < 0 || i >= std::max(count, 1))
        return Keep(nullptr);
    return Keep(CopyIdListItems(nullptr, source_, i, count == 0 ? 0 : 1));
}

LPITEMIDLIST TRzIdListArray::Ancestor(int n) {
    int count = Count();
    if (source_ == nullptr || n < 0 || count - n < 0)
        return Keep(nullptr);
    return Keep(CopyIdListItems(nullptr, source_, 0, count - n));
}
