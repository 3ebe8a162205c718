#include "platform/FolderEnumerator.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/ShellItemInfo.h"

FolderEnumerator::FolderEnumerator(std::vector<LPITEMIDLIST> fixedItems, DIR* directory,
                                   std::string path, DWORD flags)
    : fixedItems_(std::move(fixedItems)),
      directory_(directory),
      path_(std::move(path)),
      flags_(flags) {
    if (!(flags_ & SHCONTF_FOLDERS))
        nextFixed_ = fixedItems_.size();  // the fixed items are all folders
}

FolderEnumerator::~FolderEnumerator() {
    for (LPITEMIDLIST item : fixedItems_)
        FreeList(item);
    if (directory_ != nullptr)
        closedir(directory_);
}

HRESULT FolderEnumerator::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IEnumIDList) {
        AddRef();
        *object = static_cast<IEnumIDList*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FolderEnumerator::AddRef() {
    return ++references_;
}

ULONG FolderEnumerator::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT FolderEnumerator::Next(ULONG count, LPITEMIDLIST* items, ULONG* fetched) {
    if (items == nullptr || (fetched == nullptr && count != 1))
        return E_INVALIDARG;
    ULONG given = 0;
    bool vanished = false;
    while (given < count) {
        LPITEMIDLIST item = NextItem(vanished);
        if (item == nullptr)
            break;
        items[given++] = item;
    }
    if (vanished) {
        for (ULONG i = 0; i < given; ++i)
            FreeList(items[i]);
        given = 0;
    }
    if (fetched != nullptr)
        *fetched = given;
    return vanished ? E_FAIL : given == count ? S_OK : S_FALSE;
}

HRESULT FolderEnumerator::Skip(ULONG count) {
    bool vanished = false;
    for (ULONG i = 0; i < count; ++i) {
        LPITEMIDLIST item = NextItem(vanished);
        if (item == nullptr)
            return vanished ? E_FAIL : S_FALSE;
        FreeList(item);
    }
    return S_OK;
}

HRESULT FolderEnumerator::Reset() {
    nextFixed_ = (flags_ & SHCONTF_FOLDERS) ? 0 : fixedItems_.size();
    if (directory_ != nullptr)
        rewinddir(directory_);
    return S_OK;
}

LPITEMIDLIST FolderEnumerator::NextItem(bool& vanished) {
    if (nextFixed_ < fixedItems_.size())
        return CopyFirstItem(fixedItems_[nextFixed_++]);
    return directory_ == nullptr ? nullptr : NextEntry(vanished);
}

LPITEMIDLIST FolderEnumerator::NextEntry(bool& vanished) {
    int folder = dirfd(directory_);
    for (;;) {
        errno = 0;
        const struct dirent* entry = readdir(directory_);
        if (entry == nullptr) {
            // A removed directory reads as empty; its link count tells.
            struct stat self;
            vanished = errno != 0 || fstat(folder, &self) != 0 || self.st_nlink == 0;
            return nullptr;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (name[0] == '.' && !(flags_ & SHCONTF_INCLUDEHIDDEN))
            continue;
        struct stat facts;
        if (fstatat(folder, name, &facts, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // gone since it was listed
        if (Wanted(*entry, facts))
            return MakeEntryItem(facts, name);
    }
}

bool FolderEnumerator::Wanted(const struct dirent& entry, const struct stat& facts) const {
    constexpr DWORD kBoth = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if ((flags_ & kBoth) == kBoth)
        return true;
    if ((flags_ & kBoth) == 0)
        return false;
    EntryFacts asItem{facts.st_mode, 0, 0, entry.d_name};
    bool isFolder = IsFolderEntry(path_, asItem);
    return (flags_ & SHCONTF_FOLDERS) ? isFolder : !isFolder;
}
