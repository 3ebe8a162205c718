#include "platform/ShellServices.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/Places.h"
#include "platform/ShellFolder.h"
#include "platform/ShellItemInfo.h"
#include "platform/SystemImageList.h"

namespace {

// The folder path that holds a list's last item, and that item (a one-item
// list, since the terminator follows it); false for a
// malformed list or one that leaves the file system before its last item.
bool LocateLastItem(LPCITEMIDLIST list, std::string& folderPath, LPCITEMIDLIST& last) {
    folderPath = DesktopPath();
    last = list;
    for (LPCITEMIDLIST item = list; !IsEmptyList(item); item = NextItem(item)) {
        ItemKind kind = KindOf(item);
        if (kind == ItemKind::None || (kind == ItemKind::Entry && folderPath.empty()))
            return false;
        last = item;
        if (!IsEmptyList(NextItem(item)))
            folderPath = ItemPath(folderPath, item);
    }
    return true;
}

HRESULT ParsePath(const std::string& path, LPITEMIDLIST* list) {
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.Put());
    return FAILED(hr) ? hr
                      : desktop->ParseDisplayName(0, nullptr, path.c_str(), nullptr, list, nullptr);
}

std::uintptr_t FileInfoOfList(LPCITEMIDLIST list, SHFILEINFOA* info, UINT flags) {
    std::string folderPath;
    LPCITEMIDLIST last;
    if (!LocateLastItem(list, folderPath, last))
        return 0;
    if (flags & SHGFI_TYPENAME)
        std::snprintf(info->szTypeName, sizeof info->szTypeName, "%s",
                      std::string(ItemTypeName(folderPath, last)).c_str());
    if (!(flags & SHGFI_SYSICONINDEX))
        return 1;
    info->iIcon = SystemIconIndex(ItemIcon(folderPath, last, flags & SHGFI_OPENICON));
    return reinterpret_cast<std::uintptr_t>(SystemImageListOf(flags & SHGFI_SMALLICON));
}

}  // namespace

bool IsKnownSpecialFolder(int csidl) {
    constexpr int kKnown[] = {CSIDL_DESKTOP,    CSIDL_SENDTO,           CSIDL_PERSONAL,
                              CSIDL_BITBUCKET,  CSIDL_DESKTOPDIRECTORY, CSIDL_DRIVES,
                              CSIDL_MYPICTURES, CSIDL_PROFILE};
    return std::find(std::begin(kKnown), std::end(kKnown), csidl) != std::end(kKnown);
}

HRESULT SHGetDesktopFolder(IShellFolder** folder) {
    if (folder == nullptr)
        return E_INVALIDARG;
    *folder = NewShellFolder(FolderKind::Desktop, DesktopPath());
    return S_OK;
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* list) {
    if (list == nullptr)
        return E_INVALIDARG;
    *list = nullptr;
    switch (csidl) {
        case CSIDL_DESKTOP:
            *list = CopyFirstItem(nullptr);
            break;
        case CSIDL_PERSONAL:
        case CSIDL_PROFILE:
            *list = MakeVirtualItem(VirtualId::Home);
            break;
        case CSIDL_DRIVES:
            *list = MakeVirtualItem(VirtualId::Computer);
            break;
        case CSIDL_BITBUCKET:
            *list = MakeVirtualItem(VirtualId::Trash);
            break;
        case CSIDL_DESKTOPDIRECTORY:
            return ParsePath(DesktopPath(), list);
        case CSIDL_MYPICTURES:
            return ParsePath(PicturesPath(), list);
        case CSIDL_SENDTO:
            return ParsePath(SendToPath(), list);
        default:
            return E_INVALIDARG;
    }
    return *list == nullptr ? E_OUTOFMEMORY : S_OK;
}

bool SHGetPathFromIDListA(LPCITEMIDLIST list, std::string& path) {
    std::string folderPath;
    LPCITEMIDLIST last;
    if (list == nullptr || !LocateLastItem(list, folderPath, last))
        return false;
    path = IsEmptyList(list) ? DesktopPath() : ItemPath(folderPath, last);
    return !path.empty();
}

std::uintptr_t SHGetFileInfoA(const char* item, DWORD, SHFILEINFOA* info, UINT infoSize,
                              UINT flags) {
    if (item == nullptr || info == nullptr || infoSize < sizeof(SHFILEINFOA))
        return 0;
    std::memset(info, 0, sizeof(SHFILEINFOA));
    if (flags & SHGFI_PIDL)
        return FileInfoOfList(reinterpret_cast<LPCITEMIDLIST>(item), info, flags);
    LPITEMIDLIST list = nullptr;
    if (FAILED(ParsePath(item, &list)))
        return 0;
    std::uintptr_t result = FileInfoOfList(list, info, flags);
    FreeList(list);
    return result;
}

bool GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA))
        return false;
    struct utsname system;
    unsigned major = 0, minor = 0, build = 0;
    if (uname(&system) == 0)
        std::sscanf(system.release, "%u.%u.%u", &major, &minor, &build);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = 0;
    return true;
}

bool GetSystemLibraryVersion(const std::string& library, VS_FIXEDFILEINFO& version) {
    if (library != "comctl32.dll" && library != "shell32.dll")
        return false;
    version.dwFileVersionMS = 0x00060000;
    version.dwFileVersionLS = 0;
    return true;
}

UINT SetErrorMode(UINT mode) {
    static UINT current = 0;
    return std::exchange(current, mode);
}
