#include "platform/ShellItems.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/LittleEndian.h"
#include "platform/ShellAllocator.h"

namespace {

constexpr std::size_t kVirtualItemBytes = 4;

const std::uint8_t* Bytes(LPCITEMIDLIST item) {
    return reinterpret_cast<const std::uint8_t*>(item);
}

template <class T>
std::uint8_t* WriteLittle(std::uint8_t* at, T value) {
    auto bits = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return at + sizeof(T);
}

// A text that fills the rest of the item, with one NUL at its very end.
bool IsTailText(LPCITEMIDLIST item, std::size_t start) {
    std::size_t cb = ItemBytes(item);
    if (cb <= start)
        return false;
    const auto* text = Bytes(item) + start;
    return std::memchr(text, 0, cb - start) == text + (cb - start - 1);
}

std::string_view TailText(LPCITEMIDLIST item, std::size_t start) {
    return {reinterpret_cast<const char*>(Bytes(item)) + start, ItemBytes(item) - start - 1};
}

// A one-item list of `itemBytes` bytes with its kind byte written; the
// caller fills the rest.
std::uint8_t* NewItem(std::size_t itemBytes, ItemKind kind, LPITEMIDLIST& list) {
    list = nullptr;
    if (itemBytes > 0xFFFF)
        return nullptr;
    auto* block = static_cast<std::uint8_t*>(CoTaskMemAlloc(itemBytes + 2));
    if (block == nullptr)
        return nullptr;
    WriteLittle<std::uint16_t>(block, static_cast<std::uint16_t>(itemBytes));
    WriteLittle<std::uint16_t>(block + itemBytes, 0);
    block[2] = static_cast<std::uint8_t>(kind);
    list = reinterpret_cast<LPITEMIDLIST>(block);
    return block + 3;
}

std::uint8_t* WriteText(std::uint8_t* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at[text.size()] = 0;
    return at + text.size() + 1;
}

bool IsMountPathText(std::string_view path) {
    return !path.empty() && path[0] == '/' && !HasDotComponent(path);
}

}  // namespace

ItemKind KindOf(LPCITEMIDLIST item) {
    if (item == nullptr || ItemBytes(item) < 3)
        return ItemKind::None;
    switch (static_cast<ItemKind>(Bytes(item)[2])) {
        case ItemKind::Virtual: {
            std::uint8_t id = Bytes(item)[3];
            bool known = id >= 1 && id <= 3;
            return ItemBytes(item) == kVirtualItemBytes && known ? ItemKind::Virtual
                                                                 : ItemKind::None;
        }
        case ItemKind::Drive:
            return IsTailText(item, 4) && IsMountPathText(TailText(item, 4)) ? ItemKind::Drive
                                                                             : ItemKind::None;
        case ItemKind::Entry:
            return IsTailText(item, kEntryNameOffset) &&
                           IsEntryName(TailText(item, kEntryNameOffset))
                       ? ItemKind::Entry
                       : ItemKind::None;
        default:
            return ItemKind::None;
    }
}

VirtualId VirtualIdOf(LPCITEMIDLIST item) {
    return static_cast<VirtualId>(Bytes(item)[3]);
}

DriveFacts DriveFactsOf(LPCITEMIDLIST item) {
    return {Bytes(item)[3], TailText(item, 4)};
}

EntryFacts EntryFactsOf(LPCITEMIDLIST item) {
    const std::uint8_t* at = Bytes(item) + 3;
    return {ReadLittle<std::uint32_t>(at), ReadLittle<std::uint64_t>(at + 4),
            ReadLittle<std::int64_t>(at + 12), TailText(item, kEntryNameOffset)};
}

DecodedItem DecodeItem(LPCITEMIDLIST item) {
    DecodedItem decoded;
    decoded.Kind = KindOf(item);
    if (decoded.Kind == ItemKind::Virtual)
        decoded.Virtual = VirtualIdOf(item);
    else if (decoded.Kind == ItemKind::Drive)
        decoded.Drive = DriveFactsOf(item);
    else if (decoded.Kind == ItemKind::Entry)
        decoded.Entry = EntryFactsOf(item);
    return decoded;
}

LPITEMIDLIST MakeVirtualItem(VirtualId id) {
    LPITEMIDLIST list;
    if (std::uint8_t* at = NewItem(kVirtualItemBytes, ItemKind::Virtual, list))
        *at = static_cast<std::uint8_t>(id);
    return list;
}

LPITEMIDLIST MakeDriveItem(UINT type, std::string_view mountPath) {
    LPITEMIDLIST list;
    if (std::uint8_t* at = NewItem(4 + mountPath.size() + 1, ItemKind::Drive, list)) {
        *at = static_cast<std::uint8_t>(type);
        WriteText(at + 1, mountPath);
    }
    return list;
}

LPITEMIDLIST MakeEntryItem(const struct stat& facts, std::string_view name) {
    LPITEMIDLIST list;
    if (std::uint8_t* at = NewItem(kEntryNameOffset + name.size() + 1, ItemKind::Entry, list)) {
        std::int64_t modifiedNs =
            std::int64_t{facts.st_mtim.tv_sec} * 1000000000 + facts.st_mtim.tv_nsec;
        at = WriteLittle<std::uint32_t>(at, facts.st_mode);
        at = WriteLittle<std::uint64_t>(at, static_cast<std::uint64_t>(facts.st_size));
        at = WriteLittle<std::int64_t>(at, modifiedNs);
        WriteText(at, name);
    }
    return list;
}

bool IsEmptyList(LPCITEMIDLIST list) {
    return list == nullptr || ItemBytes(list) == 0;
}

LPCITEMIDLIST NextItem(LPCITEMIDLIST item) {
    return reinterpret_cast<LPCITEMIDLIST>(Bytes(item) + ItemBytes(item));
}

bool HasOneItem(LPCITEMIDLIST list) {
    return !IsEmptyList(list) && IsEmptyList(NextItem(list));
}

std::size_t ListBytes(LPCITEMIDLIST list) {
    std::size_t bytes = 2;
    for (; !IsEmptyList(list); list = NextItem(list))
        bytes += ItemBytes(list);
    return bytes;
}

std::size_t BoundedListBytes(const std::uint8_t* block, std::size_t size) {
    for (std::size_t at = 0; size - at >= 2;) {
        std::uint16_t cb = ItemBytes(reinterpret_cast<LPCITEMIDLIST>(block + at));
        if (cb == 0)
            return at + 2;
        if (cb < 2 || cb > size - at)
            return 0;
        at += cb;
    }
    return 0;
}

LPITEMIDLIST CopyFirstItem(LPCITEMIDLIST list) {
    std::size_t cb = IsEmptyList(list) ? 0 : ItemBytes(list);
    auto* block = static_cast<std::uint8_t*>(CoTaskMemAlloc(cb + 2));
    if (block == nullptr)
        return nullptr;
    if (cb > 0)
        std::memcpy(block, list, cb);
    WriteLittle<std::uint16_t>(block + cb, 0);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

LPITEMIDLIST JoinLists(LPCITEMIDLIST head, LPCITEMIDLIST tail) {
    std::size_t headBytes = ListBytes(head) - 2;
    std::size_t tailBytes = ListBytes(tail);
    auto* block = static_cast<std::uint8_t*>(CoTaskMemAlloc(headBytes + tailBytes));
    if (block == nullptr)
        return nullptr;
    if (headBytes > 0)
        std::memcpy(block, head, headBytes);
    if (tail != nullptr)
        std::memcpy(block + headBytes, tail, tailBytes);
    else
        WriteLittle<std::uint16_t>(block + headBytes, 0);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

void FreeList(LPITEMIDLIST list) {
    CoTaskMemFree(list);
}

bool IsEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool HasDotComponent(std::string_view path) {
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('/', start), path.size());
        std::string_view name = path.substr(start, end - start);
        if (name == "." || name == "..")
            return true;
        start = end + 1;
    }
    return false;
}

bool ResolveDotComponents(const std::string& path, std::string& resolved) {
    std::size_t last = std::string::npos;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('/', start), path.size());
        std::string_view name = std::string_view(path).substr(start, end - start);
        if (name == "." || name == "..")
            last = end;
        start = end + 1;
    }
    if (last == std::string::npos) {
        resolved = path;
        return true;
    }
    char* real = realpath(path.substr(0, last).c_str(), nullptr);
    if (real == nullptr)
        return false;
    std::string rest = path.substr(last);
    resolved = real;
    std::free(real);
    // The rest holds no dot component; only its slashes need care at the root.
    for (std::size_t start = 0; start < rest.size();) {
        std::size_t end = std::min(rest.find('/', start), rest.size());
        if (end > start)
            resolved = JoinPath(resolved, std::string_view(rest).substr(start, end - start));
        start = end + 1;
    }
    return true;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(name);
    return path;
}
