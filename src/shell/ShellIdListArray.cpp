#include "shell/ShellIdListArray.h"

#include "platform/LittleEndian.h"
#include "platform/ShellItems.h"
#include "shell/IdLists.h"

std::string WriteShellIdListArray(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items) {
    std::vector<LPCITEMIDLIST> lists{parent != nullptr ? parent : EmptyIdList()};
    lists.insert(lists.end(), items.begin(), items.end());
    std::string block(4 * lists.size() + 4, '\0');
    PutLittle<std::uint32_t>(block, 0, static_cast<std::uint32_t>(items.size()));
    for (std::size_t i = 0; i < lists.size(); ++i) {
        PutLittle<std::uint32_t>(block, 4 + 4 * i, static_cast<std::uint32_t>(block.size()));
        block.append(reinterpret_cast<const char*>(lists[i]), IdListSize(lists[i]));
    }
    return block;
}

bool ReadShellIdListArray(const std::uint8_t* block, std::size_t size,
                          std::vector<std::string>& lists) {
    lists.clear();
    if (block == nullptr || size < 8)
        return false;
    std::uint32_t count = ReadLittle<std::uint32_t>(block);
    if (count > (size - 8) / 4)
        return false;
    std::size_t tableEnd = 4 * std::size_t{count} + 8;
    for (std::size_t i = 0; i <= count; ++i) {
        std::size_t start = ReadLittle<std::uint32_t>(block + 4 + 4 * i);
        std::size_t length =
            start >= tableEnd && start < size ? BoundedListBytes(block + start, size - start) : 0;
        if (length == 0 || !IsWellFormedIdList(block + start, static_cast<std::uint32_t>(length))) {
            lists.clear();
            return false;
        }
        lists.emplace_back(reinterpret_cast<const char*>(block + start), length);
    }
    return true;
}
