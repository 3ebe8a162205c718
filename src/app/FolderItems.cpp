#include "app/FolderItems.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <memory>

#include "framework/StreamErrors.h"

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

struct Entry {
    bool folder;
    std::string name;
};

// Links to folders count as folders.
bool IsFolder(DIR* dir, const char* name) {
    struct stat st {};
    return fstatat(dirfd(dir), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int CompareItemNames(const std::string& a, const std::string& b) {
    if (int folded = CompareFolded(a, b))
        return folded;
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

std::vector<std::string> ListFolderItems(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        throw EFOpenError::CannotOpen(folder, errno);
    std::vector<Entry> entries;
    while (dirent* item = readdir(dir.get())) {
        std::string name = item->d_name;
        if (name != "." && name != "..")
            entries.push_back({IsFolder(dir.get(), item->d_name), name});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.folder != b.folder)
            return a.folder;
        return CompareItemNames(a.name, b.name) < 0;
    });
    std::vector<std::string> names;
    for (Entry& entry : entries)
        names.push_back(std::move(entry.name));
    return names;
}
