#include "shell/SystemImages.h"

#include "shell/ShellEnv.h"

namespace {

// Common controls that can draw overlays: 4.71 and later.
constexpr DWORD kOverlayComCtlVersion = 0x00040047;

HIMAGELIST SystemList(UINT sizeFlag) {
    SHFILEINFOA info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("/", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | sizeFlag));
}

// Appends the shell's picture `resource` to `list` as overlay number `overlay`.
void AddOverlay(HIMAGELIST list, int resource, int pixels, int overlay) {
    HICON icon = LoadShellIcon(resource, pixels);
    if (icon == nullptr)
        return;
    ImageList_SetOverlayImage(list, ImageList_ReplaceIcon(list, -1, icon), overlay);
    DestroyIcon(icon);
}

void InstallOverlays() {
    HIMAGELIST small = SystemList(SHGFI_SMALLICON);
    HIMAGELIST large = SystemList(SHGFI_LARGEICON);
    for (int i = 0; i < 2; ++i) {
        AddOverlay(small, kSharedOverlayIconResource + i, 16, i + 1);
        AddOverlay(large, kSharedOverlayIconResource + i, 32, i + 1);
    }
    ShellEnv.OverlaysInstalled = true;
}

}  // namespace

int GetSysIconIndex(LPCITEMIDLIST list, UINT flags) {
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<const char*>(list != nullptr ? list : EmptyIdList()), 0, &info,
                   sizeof(info), flags | SHGFI_PIDL | SHGFI_SYSICONINDEX);
    return info.iIcon;
}

HIMAGELIST GetSystemImageList(int size) {
    if (!ShellEnv.OverlaysInstalled && SystemIsNT() &&
        ShellEnv.ComCtlVersion.MS >= kOverlayComCtlVersion)
        InstallOverlays();
    return SystemList(size == 0 ? SHGFI_SMALLICON : SHGFI_LARGEICON);
}
