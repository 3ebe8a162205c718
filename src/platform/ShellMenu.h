#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

// A popup menu as the namespace's context menus fill it and the controls show
// it (a QMenu is built from it entry by entry). IContextMenu::QueryContextMenu
// takes a TShellMenu* as its menu handle.

struct TShellMenu;

struct TShellMenuItem {
    UINT Id = 0;          // command id; 0 for separators and submenus
    std::string Caption;  // '&' marks the access key
    bool Enabled = true;
    bool Default = false;  // drawn bold, run by a double click or Enter
    bool Separator = false;
    // The "Send To" submenu's stand-in entry: the control that shows the menu
    // replaces it with the Send To folder's entries.
    bool SendToPlaceholder = false;
    // The entry's small system image (SystemImageListOf(true)); -1 for none.
    int ImageIndex = -1;
    std::shared_ptr<TShellMenu> SubMenu;
};

TShellMenuItem MenuCommand(UINT id, std::string caption, bool isDefault = false);
TShellMenuItem MenuSeparator();
TShellMenuItem MenuPopup(std::string caption, std::shared_ptr<TShellMenu> subMenu);

struct TShellMenu {
    std::vector<TShellMenuItem> Items;

    // The default entry's id, or -1 (GetMenuDefaultItem).
    int DefaultId() const;
    // The first submenu (at any depth) holding the Send To placeholder; null
    // when there is none.
    TShellMenu* SendToMenu();
    // Takes out the entry that opens the Send To submenu (at any depth), and
    // a separator it leaves doubled or at an end.
    void RemoveSendTo();
};

// QueryContextMenu flags.
constexpr UINT CMF_NORMAL = 0x0000;
constexpr UINT CMF_DEFAULTONLY = 0x0001;
constexpr UINT CMF_EXPLORE = 0x0004;
constexpr UINT CMF_CANRENAME = 0x0010;

// GetCommandString kinds (the wide kinds give UTF-8 here as well).
constexpr UINT GCS_VERBA = 0x0000;
constexpr UINT GCS_HELPTEXTA = 0x0001;
constexpr UINT GCS_VALIDATEA = 0x0002;
constexpr UINT GCS_VERBW = 0x0004;
constexpr UINT GCS_HELPTEXTW = 0x0005;
constexpr UINT GCS_VALIDATEW = 0x0006;

constexpr int SW_SHOWNORMAL = 1;

// What InvokeCommand runs: lpVerb is either a command offset made with
// MakeIntVerb (offset 0 is a null pointer) or a canonical verb's text.
struct CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    const char* lpVerb;
    const char* lpParameters;
    const char* lpDirectory;
    int nShow;
    DWORD dwHotKey;
    void* hIcon;
};

inline const char* MakeIntVerb(UINT offset) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(offset));
}
inline bool IsIntVerb(const char* verb) {
    return reinterpret_cast<std::uintptr_t>(verb) < 0x10000;
}
inline UINT IntVerbOffset(const char* verb) {
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(verb));
}

// A success code carrying a count (QueryContextMenu's largest offset + 1).
constexpr HRESULT MakeCountResult(UINT count) {
    return static_cast<HRESULT>(count & 0xFFFF);
}
