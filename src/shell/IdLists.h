#pragma once

#include <cstdint>
#include <memory>

#include "platform/ShellAllocator.h"
#include "platform/ShellInterfaces.h"

// Item id lists: the identity of a place in the shell namespace.
//
// Layout (one memory block): a sequence of items, each a little-endian u16 `cb`
// (the item's size in bytes, counting the two bytes of `cb` itself) followed by
// cb - 2 opaque bytes; the list ends with a u16 zero. The empty list (only the
// terminator) is the desktop. An absolute list starts at the desktop; a relative
// list (usually one item) is relative to its parent folder. A null pointer names
// no place.
//
// Every list made here comes from the given allocator, or from the
// `ShellAllocator` when none is given, and the caller owns it; release it with
// FreeIdList.

// The walks below follow the `cb` fields without a bound: they take lists this
// program made, or lists from outside (streams, drops, the clipboard) only after
// IsWellFormedIdList accepted their bytes.

// Sum of the item sizes plus the terminator's 2 bytes; 0 for null.
// REQUIRES: list is null or well formed.
std::uint32_t IdListSize(LPCITEMIDLIST list);

// Number of items before the terminator; 0 for null.
// REQUIRES: list is null or well formed.
int IdListCount(LPCITEMIDLIST list);

// A new list with the same items; null or empty source gives the empty list.
// Null when the allocation fails.
LPITEMIDLIST CopyIdList(IMalloc* allocator, LPCITEMIDLIST list);

// A new list holding the items of `first` and then those of `second`; either may
// be null. Null when the allocation fails.
LPITEMIDLIST ConcatIdLists(IMalloc* allocator, LPCITEMIDLIST first, LPCITEMIDLIST second);

// A new list holding `count` items of `list` starting at item `first`.
// REQUIRES: first >= 0, count >= 0, first + count <= IdListCount(list).
LPITEMIDLIST CopyIdListItems(IMalloc* allocator, LPCITEMIDLIST list, int first, int count);

// A static empty list (the desktop), for calls that take the desktop where
// callers hold null. Never freed.
LPCITEMIDLIST EmptyIdList();

// Releases the list to the ShellAllocator; null is ignored.
void FreeIdList(LPITEMIDLIST list);

// Owns one id list for the length of a scope.
struct TIdListFree {
    void operator()(LPITEMIDLIST list) const { FreeIdList(list); }
};
using TOwnedIdList = std::unique_ptr<ITEMIDLIST, TIdListFree>;

// Shell order of two absolute lists, a total order: null first, then the
// desktop (the empty list), then every other place in the desktop's order
// (CompareIDs, column 0). Byte-identical lists are equal.
std::int32_t CompareIdLists(LPCITEMIDLIST a, LPCITEMIDLIST b);

// Order of two lists in `folder` by `column`, as a sort reads it (-1, 0, 1):
// byte-identical lists are equal without asking the folder, and a comparison
// the folder cannot make (an item whose folder is gone) falls back to the byte
// order, so that its error code never reads as an order.
int CompareInFolder(IShellFolder* folder, LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b);

// Byte order of two lists (sizes counted with the terminator): the first
// differing byte decides, else the shorter list comes first.
int CompareIdListBytes(LPCITEMIDLIST a, LPCITEMIDLIST b);

// Whether `length` bytes hold exactly one well-formed list: items whose sizes
// stay inside the block, each a well-formed item of the namespace (an entry's
// name is never empty, "." or "..", nor holds '/' or NUL), then the terminator
// as the block's last two bytes. Call it on every list read from outside.
bool IsWellFormedIdList(const std::uint8_t* bytes, std::uint32_t length);
