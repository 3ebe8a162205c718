#pragma once

#include <cstdint>

#include "platform/Com.h"

// The shell namespace's interfaces, records and flags.
//
// Item id list (the identity of a place): a sequence of items in one block,
// each item a little-endian u16 `cb` (its size counting the two bytes of cb)
// followed by cb - 2 opaque bytes; the list ends with a u16 zero. The empty
// list (just the terminator) is the desktop. Lists are blocks of the shell
// allocator (ShellAllocator.h). The opaque bytes belong to the folder that
// made the item; callers only copy, join, compare and pass them back.
// SHITEMID is packed: items start at any byte, so `cb` may be unaligned.

struct __attribute__((packed)) SHITEMID {
    std::uint16_t cb;
    std::uint8_t abID[1];
};
struct __attribute__((packed)) ITEMIDLIST {
    SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

// A display name as a folder returns it. STRRET_WSTR: pOleStr is a block of
// the shell allocator holding zero-terminated UTF-8 (release it with
// CoTaskMemFree); STRRET_OFFSET: the zero-terminated text starts uOffset bytes
// into the item the name was asked for; STRRET_CSTR: the text is in cStr.
constexpr UINT STRRET_WSTR = 0;
constexpr UINT STRRET_OFFSET = 1;
constexpr UINT STRRET_CSTR = 2;
constexpr int MAX_PATH = 260;

struct STRRET {
    UINT uType;
    union {
        OLECHAR* pOleStr;
        UINT uOffset;
        char cStr[MAX_PATH];
    };
};

// SHGDN_*: which name GetDisplayNameOf gives.
constexpr DWORD SHGDN_NORMAL = 0x0000;      // relative to the desktop
constexpr DWORD SHGDN_INFOLDER = 0x0001;    // relative to the folder
constexpr DWORD SHGDN_FOREDITING = 0x1000;  // for a rename box
constexpr DWORD SHGDN_FORADDRESSBAR = 0x4000;
constexpr DWORD SHGDN_FORPARSING = 0x8000;  // what ParseDisplayName takes back

// SHCONTF_*: what EnumObjects lists.
constexpr DWORD SHCONTF_FOLDERS = 0x0020;
constexpr DWORD SHCONTF_NONFOLDERS = 0x0040;
constexpr DWORD SHCONTF_INCLUDEHIDDEN = 0x0080;

// SFGAO_*: item attributes (GetAttributesOf).
constexpr DWORD SFGAO_CANCOPY = 0x00000001;
constexpr DWORD SFGAO_CANMOVE = 0x00000002;
constexpr DWORD SFGAO_CANLINK = 0x00000004;
constexpr DWORD SFGAO_CANRENAME = 0x00000010;
constexpr DWORD SFGAO_CANDELETE = 0x00000020;
constexpr DWORD SFGAO_HASPROPSHEET = 0x00000040;
constexpr DWORD SFGAO_DROPTARGET = 0x00000100;
constexpr DWORD SFGAO_LINK = 0x00010000;
constexpr DWORD SFGAO_SHARE = 0x00020000;
constexpr DWORD SFGAO_READONLY = 0x00040000;
constexpr DWORD SFGAO_HIDDEN = 0x00080000;
constexpr DWORD SFGAO_STREAM = 0x00400000;
constexpr DWORD SFGAO_REMOVABLE = 0x02000000;
constexpr DWORD SFGAO_VALIDATE = 0x01000000;
constexpr DWORD SFGAO_FILESYSANCESTOR = 0x10000000;
constexpr DWORD SFGAO_FOLDER = 0x20000000;
constexpr DWORD SFGAO_FILESYSTEM = 0x40000000;
constexpr DWORD SFGAO_HASSUBFOLDER = 0x80000000;

// CompareIDs: the column is the low 16 bits of lParam.
constexpr LPARAM SHCIDS_COLUMNMASK = 0x0000FFFF;

// A compare result as CompareIDs returns it: success with the signed order in
// the low 16 bits (-1 becomes 0x0000FFFF).
constexpr HRESULT MakeCompareResult(int order) {
    return static_cast<HRESULT>(static_cast<std::uint16_t>(order < 0 ? -1 : order > 0 ? 1 : 0));
}

// Column formats and states (IShellDetails, IShellFolder2).
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
using SHCOLSTATEF = DWORD;
constexpr SHCOLSTATEF SHCOLSTATE_TYPE_STR = 0x1;
constexpr SHCOLSTATEF SHCOLSTATE_TYPE_INT = 0x2;
constexpr SHCOLSTATEF SHCOLSTATE_TYPE_DATE = 0x3;
constexpr SHCOLSTATEF SHCOLSTATE_ONBYDEFAULT = 0x10;

// One cell or column header: its alignment (LVCFMT_*), width in characters
// and text.
struct SHELLDETAILS {
    int fmt;
    int cxChar;
    STRRET str;
};

// Bind contexts are never used; the parameter keeps the call shapes.
class IBindCtx;

inline constexpr IID IID_IShellFolder = {
    0x000214E6, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IEnumIDList = {0x000214F2, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IShellFolder2 = {
    0x93F2F68C, 0x1D1B, 0x11D3, {0xA3, 0x0E, 0x00, 0xC0, 0x4F, 0x79, 0xAB, 0xD1}};
inline constexpr IID IID_IShellDetails = {
    0x000214EC, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IContextMenu = {
    0x000214E4, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropTarget = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Items of a folder, one enumeration pass. Each returned item is a one-item
// list the caller owns.
class IEnumIDList : public IUnknown {
  public:
    // Up to `count` items into items[]; *fetched (may be null when count is 1)
    // says how many. S_OK when all were given, S_FALSE at the end; E_FAIL when
    // the folder vanished while it was being read (nothing given by that call).
    virtual HRESULT Next(ULONG count, LPITEMIDLIST* items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

// A folder of the namespace. Items passed in are relative to this folder;
// several-item lists are accepted where a path below the folder makes sense
// (BindToObject, CompareIDs, GetDisplayNameOf, GetAttributesOf).
class IShellFolder : public IUnknown {
  public:
    // A name relative to this folder ('/'-separated components; the desktop also
    // takes absolute paths and the parsing names of its virtual folders) to a
    // new list the caller owns. `eaten` and `attributes` may be null; when
    // given, *attributes is a request answered like GetAttributesOf.
    virtual HRESULT ParseDisplayName(HWND owner, IBindCtx* bindContext, const OLECHAR* name,
                                     ULONG* eaten, LPITEMIDLIST* list, ULONG* attributes) = 0;
    // An enumerator over the items that `flags` (SHCONTF_*) selects. Fails with
    // the errno-derived code when the folder cannot be read.
    virtual HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator) = 0;
    // The folder object of a (sub)item, as IShellFolder or IShellFolder2.
    virtual HRESULT BindToObject(LPCITEMIDLIST list, IBindCtx* bindContext, REFIID iid,
                                 void** object) = 0;
    // Order of two items by column (lParam & SHCIDS_COLUMNMASK: 0 name,
    // 1 size, 2 type, 3 modified), as MakeCompareResult gives it.
    virtual HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) = 0;
    // An object for the folder's own view: IShellDetails where the folder has
    // detail columns, IDropTarget for a folder with a path; E_NOINTERFACE
    // otherwise.
    virtual HRESULT CreateViewObject(HWND owner, REFIID iid, void** object) = 0;
    // *inOut holds the attributes asked for and receives those that all the
    // items have. With no items and SFGAO_VALIDATE, the folder re-reads its
    // cached contents (the drives of Computer). With items and SFGAO_VALIDATE,
    // fails when an item no longer exists.
    virtual HRESULT GetAttributesOf(UINT count, const LPCITEMIDLIST* items, ULONG* inOut) = 0;
    // Objects that act on items: IContextMenu for one or more items,
    // IDropTarget for one item that is a folder (E_NOINTERFACE otherwise).
    virtual HRESULT GetUIObjectOf(HWND owner, UINT count, const LPCITEMIDLIST* items, REFIID iid,
                                  UINT* reserved, void** object) = 0;
    virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST item, DWORD flags, STRRET* name) = 0;
    // Renames an item on disk. Refuses an empty name, a name with '/', "." and
    // "..", and a name that exists; *newItem (may be null) receives the item
    // under its new name, owned by the caller. With an owner window a refusal
    // is also reported to the person, naming both names and the reason.
    virtual HRESULT SetNameOf(HWND owner, LPCITEMIDLIST item, const OLECHAR* name, DWORD flags,
                              LPITEMIDLIST* newItem) = 0;
};

// Detail columns of a folder. A null item asks for the column header.
class IShellDetails : public IUnknown {
  public:
    // E_INVALIDARG past the last column.
    virtual HRESULT GetDetailsOf(LPCITEMIDLIST item, UINT column, SHELLDETAILS* details) = 0;
    virtual HRESULT ColumnClick(UINT column) = 0;
};

// File-system folders also describe their columns this way: Name, Size, Type,
// Modified.
class IShellFolder2 : public IShellFolder {
  public:
    virtual HRESULT GetDefaultColumn(DWORD reserved, ULONG* sortColumn, ULONG* displayColumn) = 0;
    virtual HRESULT GetDefaultColumnState(UINT column, SHCOLSTATEF* state) = 0;
    virtual HRESULT GetDetailsOf(LPCITEMIDLIST item, UINT column, SHELLDETAILS* details) = 0;
};

// The verbs of items (ItemContextMenu.h), from GetUIObjectOf; the menu handle
// is a TShellMenu* (ShellMenu.h).
struct CMINVOKECOMMANDINFO;
class IContextMenu : public IUnknown {
  public:
    virtual HRESULT QueryContextMenu(void* menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT flags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) = 0;
    virtual HRESULT GetCommandString(std::uintptr_t idCmd, UINT type, UINT* reserved, char* name,
                                     UINT size) = 0;
};

// A folder as the target of a drop (FolderDropTarget.h): GetUIObjectOf gives
// a folder item's, CreateViewObject the folder's own.
class IDataObject;
struct POINTL {
    std::int32_t x;
    std::int32_t y;
};
constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
class IDropTarget : public IUnknown {
  public:
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
};
