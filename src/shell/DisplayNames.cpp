#include "shell/DisplayNames.h"

#include <cstring>

#include "platform/ShellServices.h"
#include "shell/IdListArray.h"
#include "shell/ShellError.h"

namespace {

const DWORD kNameFlags[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING,
                            SHGDN_INFOLDER | SHGDN_FOREDITING};

}  // namespace

std::string TakeName(STRRET& name, LPCITEMIDLIST item) {
    switch (name.uType) {
        case STRRET_WSTR: {
            std::string text = name.pOleStr != nullptr ? name.pOleStr : "";
            if (name.pOleStr != nullptr)
                CoTaskMemFree(name.pOleStr);
            return text;
        }
        case STRRET_OFFSET: {
            // The text lies inside the item; never read past the list's end.
            std::uint32_t size = IdListSize(item);
            if (name.uOffset >= size)
                return std::string();
            const char* text = reinterpret_cast<const char*>(item) + name.uOffset;
            return std::string(text, strnlen(text, size - name.uOffset));
        }
        case STRRET_CSTR:
            return std::string(name.cStr, strnlen(name.cStr, MAX_PATH));
        default:
            return std::string();
    }
}

std::string GetDisplayName(IShellFolder* folder, LPCITEMIDLIST item, int kind) {
    ComPtr<IShellFolder> desktop;
    if (folder == nullptr) {
        if (FAILED(SHGetDesktopFolder(desktop.Put())))
            return std::string();
        folder = desktop.Get();
    }
    DWORD flags = kind >= 0 && kind <= nkForEditing ? kNameFlags[kind] : SHGDN_NORMAL;
    STRRET name{};
    name.uType = STRRET_WSTR;
    if (FAILED(folder->GetDisplayNameOf(item, flags, &name))) {
        name = STRRET{};
        name.uType = STRRET_CSTR;
        if (FAILED(folder->GetDisplayNameOf(item, flags, &name)))
            return std::string();
    }
    return TakeName(name, item);
}

std::string GetAbsDisplayName(LPCITEMIDLIST list) {
    ComPtr<IShellFolder> desktop;
    CheckShell(SHGetDesktopFolder(desktop.Put()));
    TRzIdListArray view(list);
    if (view.Count() <= 1)
        return GetDisplayName(desktop.Get(), list != nullptr ? list : EmptyIdList(), nkInFolder);
    ComPtr<IShellFolder> parent;
    CheckShell(
        desktop->BindToObject(view.Ancestor(1), nullptr, IID_IShellFolder, parent.PutVoid()));
    return GetDisplayName(parent.Get(), view.Item(view.Count() - 1), nkInFolder);
}
