#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/LittleEndian.h"
#include "platform/ShellInterfaces.h"

// The opaque bytes of this layer's items, after the item's u16 cb
// (integers little-endian, unaligned):
//
//   virtual folder     kind 1, id 1 Home / 2 Computer / 3 Trash      (cb = 4)
//   drive              kind 2, drive type (DRIVE_*), mount path, NUL
//   file-system entry  kind 3, st_mode u32 (lstat), size u64, modification
//                      time in ns i64, on-disk name, NUL             (the name
//                      starts at byte kEntryNameOffset of the item)
//
// Size and time are part of an entry's identity: a rewritten file gets a new
// id list. Items are checked before use; a malformed item decodes as nothing:
// among others an entry whose name is empty, ".", ".." or holds '/' or NUL,
// and a drive whose mount path is not absolute or has "." or ".." in it.

enum class ItemKind : std::uint8_t { None = 0, Virtual = 1, Drive = 2, Entry = 3 };
enum class VirtualId : std::uint8_t { Home = 1, Computer = 2, Trash = 3 };

constexpr std::size_t kEntryNameOffset = 2 + 1 + 4 + 8 + 8;

struct EntryFacts {
    std::uint32_t Mode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::string_view Name;  // points into the item
};

struct DriveFacts {
    UINT Type = 0;
    std::string_view MountPath;  // points into the item
};

// The kind of the first item of a list; None for the empty list and for a
// malformed item.
ItemKind KindOf(LPCITEMIDLIST item);
VirtualId VirtualIdOf(LPCITEMIDLIST item);    // REQUIRES: KindOf(item) == Virtual
DriveFacts DriveFactsOf(LPCITEMIDLIST item);  // REQUIRES: KindOf(item) == Drive
EntryFacts EntryFactsOf(LPCITEMIDLIST item);  // REQUIRES: KindOf(item) == Entry

// An item decoded once: its kind and the facts of that kind, for code that
// reads one item many times (a sort compares each item with many others).
// Its texts point into the item, which must outlive it.
struct DecodedItem {
    ItemKind Kind = ItemKind::None;       // None: the empty list or a malformed item
    VirtualId Virtual = VirtualId::Home;  // Kind Virtual
    DriveFacts Drive;                     // Kind Drive
    EntryFacts Entry;                     // Kind Entry
};
DecodedItem DecodeItem(LPCITEMIDLIST item);

// New one-item lists from the shell allocator; null when memory runs out.
LPITEMIDLIST MakeVirtualItem(VirtualId id);
LPITEMIDLIST MakeDriveItem(UINT type, std::string_view mountPath);
LPITEMIDLIST MakeEntryItem(const struct stat& facts, std::string_view name);

// List walking: the one reading of the items' sizes. The unbounded walks take
// lists this program made, or lists from outside only after BoundedListBytes
// accepted their block.
// The item's cb; 0 at the terminator. Inline: every walk reads it per item.
inline std::uint16_t ItemBytes(LPCITEMIDLIST item) {
    return ReadLittle<std::uint16_t>(reinterpret_cast<const std::uint8_t*>(item));
}
bool IsEmptyList(LPCITEMIDLIST list);
LPCITEMIDLIST NextItem(LPCITEMIDLIST item);  // REQUIRES: !IsEmptyList(item)
bool HasOneItem(LPCITEMIDLIST list);         // exactly one item
// Bytes of a list including its terminator.
std::size_t ListBytes(LPCITEMIDLIST list);
// Bytes of the list at the start of a block of `size` bytes, terminator
// included; 0 when an item's size is below 2 or the list does not end inside
// the block.
std::size_t BoundedListBytes(const std::uint8_t* block, std::size_t size);
// New lists: the first item alone; a list joined after one item.
LPITEMIDLIST CopyFirstItem(LPCITEMIDLIST list);
LPITEMIDLIST JoinLists(LPCITEMIDLIST head, LPCITEMIDLIST tail);
void FreeList(LPITEMIDLIST list);

// Folder path + "/" + name, without doubling the root's slash.
std::string JoinPath(const std::string& folder, std::string_view name);

// Whether a directory can hold an entry of this name: not empty, "." or "..",
// and without '/' or NUL (any other name would lead a path elsewhere).
bool IsEntryName(std::string_view name);

// Whether a path has a "." or ".." component.
bool HasDotComponent(std::string_view path);
// An absolute path with its "." and ".." components resolved as the kernel
// resolves them: the part up to the last such component goes through
// realpath (so ".." after a symbolic link leads to the link target's
// parent), the rest is joined as it stands. A path without them is kept.
// False, with errno set, when that part does not resolve.
bool ResolveDotComponents(const std::string& path, std::string& resolved);
