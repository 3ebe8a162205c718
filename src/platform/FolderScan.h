#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A folder's entries read straight from its directory, for what needs names
// rather than namespace items: the file list's name filter, the Send To menu
// and the stamp command's listing.

enum class EntryType : std::uint8_t { Folder, File, Link, Other };

struct FolderEntry {
    std::string Name;
    EntryType Type = EntryType::Other;  // as stored: a link is a Link, whatever it leads to
    bool LeadsToFolder = false;         // a folder, or a link whose target is one
};

// The entries of `folder` but "." and "..", in the order the file system
// gives them. Returns 0, or the errno that kept the folder from being opened
// (`entries` then stays empty). An entry that vanishes while it is read is
// Other.
int ScanFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// Whether `name` matches the wildcard `mask` ("*", "?", "[...]"), letters
// compared without regard to case, as a file search matches names.
bool MatchesMask(const std::string& mask, const std::string& name);
