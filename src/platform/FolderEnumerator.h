#pragma once

#include <dirent.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// One pass over a folder's items: the fixed items the folder leads with
// (virtual folders of the desktop, drives of Computer), then the entries of
// its directory in the order the file system gives them. Hidden entries are
// names starting with "."; an entry that vanishes between listing and lstat is
// skipped; a directory that vanishes while it is read ends the pass with
// E_FAIL.
class FolderEnumerator final : public IEnumIDList {
  public:
    // Takes over the fixed items (one-item lists) and the open directory
    // (null when the folder has none).
    FolderEnumerator(std::vector<LPITEMIDLIST> fixedItems, DIR* directory, std::string path,
                     DWORD flags);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Next(ULONG count, LPITEMIDLIST* items, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;

  private:
    ~FolderEnumerator() override;
    // The next item, null at the end; `vanished` when the directory is gone.
    LPITEMIDLIST NextItem(bool& vanished);
    LPITEMIDLIST NextEntry(bool& vanished);
    bool Wanted(const struct dirent& entry, const struct stat& facts) const;

    std::atomic<ULONG> references_{1};
    std::vector<LPITEMIDLIST> fixedItems_;
    std::size_t nextFixed_ = 0;
    DIR* directory_;
    std::string path_;
    DWORD flags_;
};
