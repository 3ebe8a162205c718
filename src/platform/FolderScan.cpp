#include "platform/FolderScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

EntryType TypeOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return EntryType::Folder;
    if (S_ISREG(mode))
        return EntryType::File;
    return S_ISLNK(mode) ? EntryType::Link : EntryType::Other;
}

// The type the directory records; file systems that leave it open are asked.
EntryType TypeOf(DIR* directory, const dirent& entry) {
    switch (entry.d_type) {
        case DT_DIR:
            return EntryType::Folder;
        case DT_REG:
            return EntryType::File;
        case DT_LNK:
            return EntryType::Link;
        case DT_UNKNOWN:
            break;
        default:
            return EntryType::Other;
    }
    struct stat facts {};
    if (fstatat(dirfd(directory), entry.d_name, &facts, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryType::Other;
    return TypeOfMode(facts.st_mode);
}

bool LinkLeadsToFolder(DIR* directory, const char* name) {
    struct stat facts {};
    return fstatat(dirfd(directory), name, &facts, 0) == 0 && S_ISDIR(facts.st_mode);
}

}  // namespace

int ScanFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(folder.c_str()), closedir);
    if (!directory)
        return errno;
    while (const dirent* entry = readdir(directory.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const EntryType type = TypeOf(directory.get(), *entry);
        const bool leadsToFolder =
            type == EntryType::Folder ||
            (type == EntryType::Link && LinkLeadsToFolder(directory.get(), entry->d_name));
        entries.push_back({entry->d_name, type, leadsToFolder});
    }
    return 0;
}

bool MatchesMask(const std::string& mask, const std::string& name) {
    return fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}
