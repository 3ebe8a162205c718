#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// The "Shell IDList Array" block: the places a drag carries, as item id lists.
//
//   offset 0          count n                      u32
//          4          offset[0] ... offset[n]      u32 each, from the block's start
//          4n + 8     the lists, one after another, each with its terminator:
//                     at offset[0] the parent folder's absolute list, at
//                     offset[i] item i's list relative to that parent
//
// Integers are little-endian. The block's size is 4n + 8 plus the sizes of
// the lists. A null parent is written as the empty list (the desktop).

std::string WriteShellIdListArray(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items);

// The lists of a block from outside: lists[0] the parent, lists[1..n] the
// items, each a copy of its bytes with its terminator. False (and `lists`
// empty) when the count does not fit the block, an offset points into the
// offset table or past the block, a list runs past the block without its
// terminator, or a list is not well-formed (IsWellFormedIdList). Nothing
// outside `size` is read; nothing is allocated from the count before it is
// checked.
bool ReadShellIdListArray(const std::uint8_t* block, std::size_t size,
                          std::vector<std::string>& lists);

// A list held as bytes, as ReadShellIdListArray gives it.
inline LPCITEMIDLIST AsIdList(const std::string& bytes) {
    return reinterpret_cast<LPCITEMIDLIST>(bytes.data());
}
