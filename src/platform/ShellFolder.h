#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ShellInterfaces.h"
#include "platform/ShellItemInfo.h"

// The folders of the namespace. All three kinds share one implementation;
// they differ in what they list and which names they parse:
//   Desktop     Home, Computer, Trash, then the entries of the desktop folder;
//               parses "::Home", "::Computer", "::Trash", absolute paths (by
//               way of Computer and the drive that holds them) and names
//               relative to the desktop folder
//   Computer    the drives (Drives.h); parses absolute paths
//   FileSystem  the entries of a directory; parses relative paths
// Every folder also describes its items in four detail columns (IShellFolder2,
// IShellDetails).
enum class FolderKind { Desktop, Computer, FileSystem };

// A new folder object with one reference for the caller. `path` is the
// folder's directory (the desktop folder's for Desktop, empty for Computer).
IShellFolder2* NewShellFolder(FolderKind kind, std::string path);

// Keys that sort one-item lists of `folder` as its CompareIDs does by
// `column`: keys compare as byte strings with the sign CompareIDs gives, and
// are equal only where it says equal. Made once per item, they spare a sort
// of a whole level the decoding and case folding on every comparison. False
// when the folder is not one of the namespace's own, the column is not one of
// its detail columns, or an item is not a well-formed one-item list: sort
// through CompareIDs then. The keys lie in one block (a level of 100,000
// items makes no 100,000 allocations, and a sort reads them close together).
struct TSortKeys {
    std::string Bytes;                // every key, one after the other
    std::vector<std::size_t> Starts;  // where each key starts; one more than the keys
    std::string_view Key(std::size_t i) const {
        return std::string_view(Bytes).substr(Starts[i], Starts[i + 1] - Starts[i]);
    }
};
bool FolderSortKeys(IShellFolder* folder, int column, std::span<const LPCITEMIDLIST> items,
                    TSortKeys& keys);
