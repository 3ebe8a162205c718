#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Type names and icon names of file-system entries, from the MIME database:
// regular files by their name (no file is opened), other entries by their
// inode kind, symbolic links by what they point to.
//
// Type names are asked for often (for every item when a list sorts by type,
// for both items of a comparison through CompareIDs), so they are kept: a regular file's type is
// looked up once per suffix (the name from its first dot, or the whole name without one), because
// the database's patterns of the form "*.suffix" decide by that alone. The few patterns that look
// at the rest of the name ("README*", "Makefile.*", "pom.xml", "*~") are read from the database's
// glob files; a name one of them may match is looked up on its own each time.

// The entry's type name; `mode` is its lstat mode, and `folderPath` is read
// only to follow a symbolic link. The text lives as long as the process.
std::string_view TypeNameOfEntry(const std::string& folderPath, std::uint32_t mode,
                                 std::string_view name);

// Whether two regular files' names surely have one type without looking it
// up: the same suffix, and no pattern that reads more than that may match.
bool SameTypeByName(std::string_view a, std::string_view b);

// Theme icon names for the entry, best first; `path` is its full path.
std::vector<std::string> IconNamesOfEntry(const std::string& path, std::uint32_t mode,
                                          std::string_view name);
