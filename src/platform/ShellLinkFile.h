#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Shortcut files (".lnk") copied from other systems: the local path they point
// at, read from the link's LinkInfo block. Integers are little-endian.
//
//   0    header size u32 = 76, then the link class id (16 bytes),
//   20   link flags u32 (bit 0: an id list follows the header, bit 1: a
//        LinkInfo block follows), then times, sizes and the like up to 76
//   76   [id list: u16 size, then that many bytes]
//        LinkInfo: size u32 (counting itself), header size u32 (28, or 36
//        and more with text offsets for UTF-16), flags u32 (bit 0: a local
//        base path is given), volume id offset, local base path offset,
//        network link offset, path suffix offset (u32 each, from the
//        block's start), [local base path offset UTF-16, suffix offset
//        UTF-16]
//
// The target is the local base path followed by the path suffix (each
// zero-terminated inside the block); the UTF-16 texts are preferred when given.

// The target as written in the link ("C:\Photos\2009" or "/home/a/Photos").
// False for anything that is not such a link, or when a size or offset
// leaves its block; nothing outside `size` is read.
bool ReadShellLinkTarget(const std::uint8_t* bytes, std::size_t size, std::string& target);

// The target as a path here: a drive letter path names the drive with that
// letter (its mount path, '\' read as '/'); a path starting with '/' stays
// as it is. Empty otherwise.
std::string LocalPathOfLinkTarget(const std::string& target);

// Reads the shortcut file (opened once, without blocking; at most 1 MB) and
// gives its target as a path here. False when it is no readable link or its
// target has no local path.
bool ResolveShellLink(const std::string& linkFile, std::string& targetPath);
