#include "shell/ShellPaths.h"

#include "shell/IdListArray.h"

namespace {

// Highest special-folder id SpecialFolderOf tries; also its "none" answer.
constexpr std::uint8_t kLastSpecialFolder = 50;

// Splits a list that is not the desktop itself (an empty list is treated as one
// item of the desktop, so the split always ends).
HRESULT SplitPlace(LPCITEMIDLIST list, ComPtr<IShellFolder>& parentFolder, LPITEMIDLIST* parentList,
                   LPITEMIDLIST* lastItem) {
    TRzIdListArray view(list);
    if (view.Count() <= 1) {
        *parentList = nullptr;
        *lastItem = CopyIdList(nullptr, list);
        return SHGetDesktopFolder(parentFolder.Put());
    }
    *parentList = CopyIdList(nullptr, view.Ancestor(1));
    *lastItem = CopyIdList(nullptr, view.Item(view.Count() - 1));
    return BindToFolder(*parentList, parentFolder);
}

}  // namespace

HRESULT BindToFolder(LPCITEMIDLIST list, ComPtr<IShellFolder>& folder) {
    ComPtr<IShellFolder> desktop;
    HRESULT code = SHGetDesktopFolder(desktop.Put());
    if (FAILED(code) || IdListSize(list) <= 2) {
        folder = desktop;
        return code;
    }
    return desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.PutVoid());
}

HRESULT SplitIdList(LPCITEMIDLIST list, ComPtr<IShellFolder>& parentFolder,
                    LPITEMIDLIST* parentList, LPITEMIDLIST* lastItem) {
    *parentList = *lastItem = nullptr;
    if (IdListSize(list) > 2)
        return SplitPlace(list, parentFolder, parentList, lastItem);
    LPITEMIDLIST desktopPlace = nullptr;
    HRESULT code = PathToIdList(SpecialFolderPath(0, CSIDL_DESKTOP), &desktopPlace);
    if (SUCCEEDED(code))
        code = SplitPlace(desktopPlace, parentFolder, parentList, lastItem);
    FreeIdList(desktopPlace);
    return code;
}

HRESULT GetUIObjectOfPlace(LPCITEMIDLIST list, REFIID iid, void** object) {
    ComPtr<IShellFolder> parent;
    LPITEMIDLIST parentList = nullptr;
    LPITEMIDLIST last = nullptr;
    HRESULT result = SplitIdList(list, parent, &parentList, &last);
    if (FAILED(result))
        return result;
    FreeIdList(parentList);
    TOwnedIdList item(last);
    LPCITEMIDLIST items[] = {last};
    return parent->GetUIObjectOf(0, 1, items, iid, nullptr, object);
}

HRESULT PathToIdList(const std::string& path, LPITEMIDLIST* list) {
    *list = nullptr;
    ComPtr<IShellFolder> desktop;
    HRESULT code = SHGetDesktopFolder(desktop.Put());
    if (FAILED(code))
        return code;
    return desktop->ParseDisplayName(0, nullptr, path.c_str(), nullptr, list, nullptr);
}

HRESULT PathToBrowsedIdList(const std::string& path, LPITEMIDLIST* list) {
    *list = nullptr;
    const std::string home = SpecialFolderPath(0, CSIDL_PERSONAL);
    const bool inHome = home.size() > 1 && path.starts_with(home) &&
                        (path.size() == home.size() || path[home.size()] == '/');
    if (!inHome)
        return PathToIdList(path, list);
    LPITEMIDLIST homeList = nullptr;
    HRESULT code = GetSpecialFolderLocation(0, CSIDL_PERSONAL, &homeList);
    TOwnedIdList ownedHome(homeList);
    if (FAILED(code) || path.size() == home.size()) {
        *list = ownedHome.release();
        return code;
    }
    ComPtr<IShellFolder> homeFolder;
    LPITEMIDLIST item = nullptr;
    if (SUCCEEDED(code = BindToFolder(homeList, homeFolder)))
        code = homeFolder->ParseDisplayName(0, nullptr, path.substr(home.size() + 1).c_str(),
                                            nullptr, &item, nullptr);
    TOwnedIdList ownedItem(item);
    if (SUCCEEDED(code))
        *list = ConcatIdLists(nullptr, homeList, item);
    return code;
}

std::string IdListToPath(LPCITEMIDLIST list) {
    std::string path;
    if (!SHGetPathFromIDListA(list != nullptr ? list : EmptyIdList(), path))
        path.clear();
    return path;
}

HRESULT GetSpecialFolderLocation(HWND window, int id, LPITEMIDLIST* list) {
    return SHGetSpecialFolderLocation(window, id & 0x7F, list);
}

std::string SpecialFolderPath(HWND window, int id) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(window, id & 0xFF, &list)))
        return std::string();
    std::string path = IdListToPath(list);
    FreeIdList(list);
    return path;
}

std::uint8_t SpecialFolderOf(LPCITEMIDLIST list) {
    for (std::uint8_t id = 0; id <= kLastSpecialFolder; ++id) {
        LPITEMIDLIST location = nullptr;
        bool same = SUCCEEDED(GetSpecialFolderLocation(0, id, &location)) &&
                    CompareIdLists(list, location) == 0;
        FreeIdList(location);
        if (same)
            return id;
    }
    return kLastSpecialFolder;
}
