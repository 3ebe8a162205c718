#include "app/FolderItems.h"

#include <fcntl.h>

#include <algorithm>
#include <cwctype>

#include "framework/StreamErrors.h"
#include "platform/FolderScan.h"

namespace {

// The next character of a UTF-8 string as a code point; a byte that does not
// start a valid sequence stands for itself.
char32_t NextCodePoint(const std::string& text, std::size_t& at) {
    unsigned char lead = static_cast<unsigned char>(text[at++]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || at + extra > text.size())
        return lead;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return lead;
        code = code << 6 | (next & 0x3F);
    }
    at += extra;
    return code;
}

int CompareFolded(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        auto x = std::towlower(static_cast<wint_t>(NextCodePoint(a, i)));
        auto y = std::towlower(static_cast<wint_t>(NextCodePoint(b, j)));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

}  // namespace

int CompareItemNames(const std::string& a, const std::string& b) {
    if (int folded = CompareFolded(a, b))
        return folded;
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

std::vector<std::string> ListFolderItems(const std::string& folder) {
    return ListFolderItems(AT_FDCWD, folder);
}

std::vector<std::string> ListFolderItems(int handle, const std::string& path) {
    std::vector<std::string> names;
    for (FolderEntry& entry : ListFolderEntries(handle, path))
        names.push_back(std::move(entry.Name));
    return names;
}

std::vector<FolderEntry> ListFolderEntries(int handle, const std::string& path) {
    // The open folder itself, reached through the process's own descriptor
    // table rather than any name.
    const std::string at = handle == AT_FDCWD ? path : "/proc/self/fd/" + std::to_string(handle);
    std::vector<FolderEntry> entries;
    if (int error = ScanFolder(at, entries))
        throw EFOpenError::CannotOpen(path, error);
    // Links to folders count as folders.
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (a.LeadsToFolder != b.LeadsToFolder)
            return a.LeadsToFolder;
        return CompareItemNames(a.Name, b.Name) < 0;
    });
    return entries;
}
