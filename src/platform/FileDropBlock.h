#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The file-drop block: the full names of dropped files, as the file-drop
// clipboard format carries them.
//
//   offset 0   pFiles  u32  offset of the first name (20 when written here)
//          4   pt.x    i32  drop point (0 when written here)
//          8   pt.y    i32
//         12   fNC     u32  point in non-client area (0)
//         16   fWide   u32  0: names are 8-bit text (UTF-8); 1: UTF-16
//   pFiles     names, each zero-terminated, then one more zero (an empty name)
//
// Integers are little-endian. The block is exactly as large as its names
// need: no length limit applies to a name.

constexpr std::size_t kFileDropHeaderSize = 20;

std::string WriteFileDropBlock(const std::vector<std::string>& names);

// The names of a block from outside. False (and `names` empty) unless the
// header fits, pFiles points inside the block past the header, fWide is 0,
// and every name and the closing empty name end inside the block. Names with
// no bytes other than the terminator end the list; nothing is read past
// `size`.
bool ReadFileDropBlock(const std::uint8_t* block, std::size_t size,
                       std::vector<std::string>& names);
