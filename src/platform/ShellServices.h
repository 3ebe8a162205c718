#pragma once

#include <cstdint>
#include <string>

#include "platform/ShellInterfaces.h"

// The namespace's services called by name: the desktop folder, special folder
// locations, paths of id lists, icons and type names of items, versions and
// the error mode.
//
// Places (where each is on disk):
//   desktop (the empty list)  $XDG_DESKTOP_DIR, else ~/Desktop when it exists,
//                             else $HOME; lists Home, Computer, Trash, then
//                             the entries of that folder
//   Home                      $HOME
//   Computer                  none (virtual): one drive per mount (Drives.h)
//   Trash                     $XDG_DATA_HOME/Trash/files ($XDG_DATA_HOME
//                             defaults to ~/.local/share)
// Environment variables are read at each call, so tests may set them.

// CSIDL_*: special folders that have a location; others fail with E_INVALIDARG.
constexpr int CSIDL_DESKTOP = 0;            // the empty list
constexpr int CSIDL_SENDTO = 9;             // $XDG_DATA_HOME/KadrimarkEXIF/SendTo
constexpr int CSIDL_PERSONAL = 5;           // Home
constexpr int CSIDL_BITBUCKET = 10;         // Trash
constexpr int CSIDL_DESKTOPDIRECTORY = 16;  // the desktop folder's path, parsed
constexpr int CSIDL_DRIVES = 17;            // Computer
constexpr int CSIDL_MYPICTURES = 39;        // $XDG_PICTURES_DIR, else ~/Pictures
constexpr int CSIDL_PROFILE = 40;           // Home

// Whether the layer knows the special-folder id (one of the CSIDL_* above);
// a known folder may still not exist.
bool IsKnownSpecialFolder(int csidl);

// The root folder, with a reference the caller releases.
HRESULT SHGetDesktopFolder(IShellFolder** folder);

// A new absolute list (the caller frees it to the shell allocator) for a
// special folder. Folders given by a path fail with the errno code when the
// path does not exist.
HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* list);

// The file-system path of an absolute list (null is not allowed; the empty
// list is the desktop). False for places without a path (Computer) and for
// malformed lists. Paths have no trailing '/' except "/".
bool SHGetPathFromIDListA(LPCITEMIDLIST list, std::string& path);

// SHGetFileInfoA flags.
constexpr UINT SHGFI_LARGEICON = 0x0000;
constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_OPENICON = 0x0002;
constexpr UINT SHGFI_PIDL = 0x0008;
constexpr UINT SHGFI_TYPENAME = 0x0400;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

struct SHFILEINFOA {
    void* hIcon;
    int iIcon;  // SHGFI_SYSICONINDEX: index in the system image lists
    DWORD dwAttributes;
    char szDisplayName[MAX_PATH];
    char szTypeName[80];  // SHGFI_TYPENAME: the type's name, cut to 79 bytes
};

// Information about an item: `item` is an absolute id list (cast to const
// char*) with SHGFI_PIDL, else a file-system path. With SHGFI_SYSICONINDEX the
// result is the small (SHGFI_SMALLICON) or large system image list and
// info->iIcon the item's icon (the open folder picture with SHGFI_OPENICON);
// otherwise the result is 1 on success. 0 on failure (no such item).
std::uintptr_t SHGetFileInfoA(const char* item, DWORD fileAttributes, SHFILEINFOA* info,
                              UINT infoSize, UINT flags);

// The operating system: NT-class, platform id 2, version from the kernel.
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;  // preset by the caller
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
bool GetVersionExA(OSVERSIONINFOA* info);

// The file version of a system library: "comctl32.dll" and "shell32.dll" are
// both 6.0 (dwFileVersionMS 0x00060000, dwFileVersionLS 0); false for any
// other name.
struct VS_FIXEDFILEINFO {
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
};
bool GetSystemLibraryVersion(const std::string& library, VS_FIXEDFILEINFO& version);

// Critical-error dialogs do not exist on Linux: the mode is only kept so that
// callers can restore it. Returns the previous mode.
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
UINT SetErrorMode(UINT mode);
