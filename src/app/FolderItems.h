#pragma once

#include <string>
#include <vector>

#include "platform/FolderScan.h"

// The entries of a folder in the order the file list shows them: folders
// (links to folders included) first, then the rest; within each, names
// compared case-insensitively, ties broken case-sensitively. Hidden entries
// ("." names) are included; "." and ".." are not. Throws EFOpenError
// ("Cannot open ...") when the folder cannot be read.
std::vector<std::string> ListFolderItems(const std::string& folder);
// The same for the folder open as `handle`, which stays open and unmoved;
// `path` names it in the message.
std::vector<std::string> ListFolderItems(int handle, const std::string& path);
// The same entries with their types.
std::vector<FolderEntry> ListFolderEntries(int handle, const std::string& path);

// The order of two names as the file list sorts them (see above): negative,
// zero or positive. Case is folded per character (UTF-8 names, any script).
int CompareItemNames(const std::string& a, const std::string& b);
