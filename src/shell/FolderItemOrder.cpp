#include "shell/FolderItemOrder.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "platform/ShellFolder.h"

TFolderItemOrder::TFolderItemOrder(IShellFolder* folder, LPARAM column,
                                   std::vector<LPCITEMIDLIST> items)
    : folder_(folder), column_(column), items_(std::move(items)) {
    if (!FolderSortKeys(folder_, static_cast<int>(column_), items_, keys_))
        keys_.Starts.clear();
}

int TFolderItemOrder::Compare(int a, int b) const {
    if (!keys_.Starts.empty()) {
        int order = keys_.Key(a).compare(keys_.Key(b));
        return (order > 0) - (order < 0);
    }
    if (items_[a] == nullptr || items_[b] == nullptr)
        return 0;
    HRESULT code = folder_->CompareIDs(column_, items_[a], items_[b]);
    return SUCCEEDED(code) ? static_cast<std::int16_t>(code & 0xFFFF) : 0;
}

std::vector<int> TFolderItemOrder::Sorted() const {
    std::vector<int> positions(items_.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(),
                     [this](int a, int b) { return Compare(a, b) < 0; });
    return positions;
}
