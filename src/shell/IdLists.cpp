#include "shell/IdLists.h"

#include <algorithm>
#include <cstring>

#include "platform/ShellItems.h"
#include "shell/ShellEnv.h"

namespace {

const std::uint8_t* Bytes(LPCITEMIDLIST list) {
    return reinterpret_cast<const std::uint8_t*>(list);
}

// The size of the items without the terminator.
std::uint32_t ItemsSize(LPCITEMIDLIST list) {
    std::uint32_t size = IdListSize(list);
    return size < 2 ? 0 : size - 2;
}

// Item `index` (the terminator when index = count).
LPCITEMIDLIST ItemAt(LPCITEMIDLIST list, int index) {
    for (int i = 0; i < index; ++i)
        list = NextItem(list);
    return list;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

IMalloc* AllocatorOrShell(IMalloc* allocator) {
    return allocator != nullptr ? allocator : ShellEnv.ShellAllocator.Get();
}

// A block of `itemsSize` + 2 bytes whose last two bytes are the terminator.
std::uint8_t* AllocateList(IMalloc* allocator, std::uint32_t itemsSize) {
    IMalloc* malloc = AllocatorOrShell(allocator);
    auto* block =
        malloc == nullptr ? nullptr : static_cast<std::uint8_t*>(malloc->Alloc(itemsSize + 2));
    if (block != nullptr) {
        block[itemsSize] = 0;
        block[itemsSize + 1] = 0;
    }
    return block;
}

}  // namespace

std::uint32_t IdListSize(LPCITEMIDLIST list) {
    return list == nullptr ? 0 : static_cast<std::uint32_t>(ListBytes(list));
}

int IdListCount(LPCITEMIDLIST list) {
    int count = 0;
    for (; !IsEmptyList(list); list = NextItem(list))
        ++count;
    return count;
}

LPITEMIDLIST CopyIdList(IMalloc* allocator, LPCITEMIDLIST list) {
    return ConcatIdLists(allocator, list, nullptr);
}

LPITEMIDLIST ConcatIdLists(IMalloc* allocator, LPCITEMIDLIST first, LPCITEMIDLIST second) {
    std::uint32_t firstSize = ItemsSize(first);
    std::uint32_t secondSize = ItemsSize(second);
    std::uint8_t* block = AllocateList(allocator, firstSize + secondSize);
    if (block == nullptr)
        return nullptr;
    if (firstSize > 0)
        std::memcpy(block, first, firstSize);
    if (secondSize > 0)
        std::memcpy(block + firstSize, second, secondSize);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

LPITEMIDLIST CopyIdListItems(IMalloc* allocator, LPCITEMIDLIST list, int first, int count) {
    LPCITEMIDLIST begin = ItemAt(list, first);
    auto bytes = static_cast<std::uint32_t>(Bytes(ItemAt(begin, count)) - Bytes(begin));
    std::uint8_t* block = AllocateList(allocator, bytes);
    if (block != nullptr && bytes > 0)
        std::memcpy(block, begin, bytes);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

LPCITEMIDLIST EmptyIdList() {
    static const std::uint8_t kTerminator[2] = {0, 0};
    return reinterpret_cast<LPCITEMIDLIST>(kTerminator);
}

void FreeIdList(LPITEMIDLIST list) {
    if (list != nullptr && ShellEnv.ShellAllocator)
        ShellEnv.ShellAllocator->Free(list);
}

std::int32_t CompareIdLists(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (a == nullptr || b == nullptr)
        return int(a != nullptr) - int(b != nullptr);
    bool aEmpty = IdListSize(a) == 2, bEmpty = IdListSize(b) == 2;
    if (aEmpty || bEmpty)
        return int(!aEmpty) - int(!bEmpty);
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put())))
        return Sign(CompareIdListBytes(a, b));
    return CompareInFolder(desktop.Get(), 0, a, b);
}

int CompareInFolder(IShellFolder* folder, LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    int bytes = CompareIdListBytes(a, b);
    if (bytes == 0)
        return 0;
    HRESULT code = folder->CompareIDs(column, a, b);
    return FAILED(code) ? Sign(bytes) : Sign(static_cast<std::int16_t>(code & 0xFFFF));
}

int CompareIdListBytes(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    std::uint32_t sizeA = IdListSize(a), sizeB = IdListSize(b);
    // Sorted lists compare their id lists often: memcmp, not a byte loop.
    // (A null list has size 0 and is never handed to memcmp.)
    if (std::uint32_t common = std::min(sizeA, sizeB); common > 0)
        if (int order = std::memcmp(Bytes(a), Bytes(b), common); order != 0)
            return order;
    return static_cast<int>(sizeA) - static_cast<int>(sizeB);
}

bool IsWellFormedIdList(const std::uint8_t* bytes, std::uint32_t length) {
    if (length == 0 || BoundedListBytes(bytes, length) != length)
        return false;
    for (auto list = reinterpret_cast<LPCITEMIDLIST>(bytes); !IsEmptyList(list);
         list = NextItem(list))
        if (KindOf(list) == ItemKind::None)
            return false;
    return true;
}
