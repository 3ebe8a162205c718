#pragma once

#include <cstdint>
#include <string>

#include "platform/ShellServices.h"
#include "shell/IdLists.h"

// Places in the namespace by path, by special-folder id and by folder object.
// Lists and folders returned through out-parameters belong to the caller.

// The folder object of an absolute list; null or empty is the desktop itself.
HRESULT BindToFolder(LPCITEMIDLIST list, ComPtr<IShellFolder>& folder);

// The parent folder, the parent's absolute list and the last item of an
// absolute list. One item: the desktop, a null parent list and a copy of the
// list. The desktop itself is split as the desktop folder's path on disk.
HRESULT SplitIdList(LPCITEMIDLIST list, ComPtr<IShellFolder>& parentFolder,
                    LPITEMIDLIST* parentList, LPITEMIDLIST* lastItem);

// An interface of the place `list` names (a context menu, a drop target, ...),
// asked of its parent folder.
HRESULT GetUIObjectOfPlace(LPCITEMIDLIST list, REFIID iid, void** object);

// The absolute list of a path (or of a parsing name the desktop accepts).
HRESULT PathToIdList(const std::string& path, LPITEMIDLIST* list);

// The absolute list of a path as a person browses to it: a path in the home
// folder (or the home folder itself) by way of Home, any other as
// PathToIdList gives it.
HRESULT PathToBrowsedIdList(const std::string& path, LPITEMIDLIST* list);

// The file-system path of a list (null is the desktop); "" for places without
// one.
std::string IdListToPath(LPCITEMIDLIST list);

// The location of special folder `id & 0x7F` (CSIDL_*).
HRESULT GetSpecialFolderLocation(HWND window, int id, LPITEMIDLIST* list);

// The path of special folder `id & 0xFF`, or "" when it has none.
std::string SpecialFolderPath(HWND window, int id);

// The lowest special-folder id 0..49 whose location is `list`, else 50.
std::uint8_t SpecialFolderOf(LPCITEMIDLIST list);
