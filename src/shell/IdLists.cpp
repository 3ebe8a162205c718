#include "shell/IdLists.h"

#include <algorithm>
#include <cstring>

#include "platform/ShellItems.h"
#include "shell/ShellEnv.h"

namespace {

const std::uint8_t* Bytes(LPCITEMIDLIST list) {
    return reinterpret_cast<const std::uint8_t*>(list);
}

std::uint16_t ItemSize(const std::uint8_t* item) {
    return static_cast<std::uint16_t>(item[0] | (item[1] << 8));
}

// The size of the items without the terminator.
std::uint32_t ItemsSize(LPCITEMIDLIST list) {
    std::uint32_t size = IdListSize(list);
    return size < 2 ? 0 : size - 2;
}

// Offset of item `index` (or of the terminator when index = count).
std::uint32_t ItemOffset(LPCITEMIDLIST list, int index) {
    std::uint32_t offset = 0;
    for (int i = 0; i < index; ++i)
        offset += ItemSize(Bytes(list) + offset);
    return offset;
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
    if (list == nullptr)
        return 0;
    std::uint32_t size = 0;
    for (std::uint16_t cb; (cb = ItemSize(Bytes(list) + size)) != 0;)
        size += cb;
    return size + 2;
}

int IdListCount(LPCITEMIDLIST list) {
    if (list == nullptr)
        return 0;
    int count = 0;
    for (std::uint32_t offset = 0, cb; (cb = ItemSize(Bytes(list) + offset)) != 0; offset += cb)
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
    std::uint32_t begin = ItemOffset(list, first);
    std::uint32_t end =
        begin + ItemOffset(reinterpret_cast<LPCITEMIDLIST>(Bytes(list) + begin), count);
    std::uint8_t* block = AllocateList(allocator, end - begin);
    if (block != nullptr && end > begin)
        std::memcpy(block, Bytes(list) + begin, end - begin);
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
    std::uint32_t offset = 0;
    while (length - offset >= 2) {
        std::uint16_t cb = ItemSize(bytes + offset);
        if (cb == 0)
            return offset + 2 == length;
        if (cb < 2 || cb > length - offset)
            return false;
        if (KindOf(reinterpret_cast<LPCITEMIDLIST>(bytes + offset)) == ItemKind::None)
            return false;
        offset += cb;
    }
    return false;
}
