#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Type names and icon names of file-system entries, from the MIME database:
// regular files by their name's extension (no file is opened), other entries
// by their inode kind, symbolic links by what they point to.

struct FileTypeInfo {
    std::string TypeName;                // the MIME type's description
    std::vector<std::string> IconNames;  // theme icon names, best first
};

// `path` is the entry's full path, `mode` its lstat mode.
FileTypeInfo TypeOfEntry(const std::string& path, std::uint32_t mode, std::string_view name);
