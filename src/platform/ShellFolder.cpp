#include "platform/ShellFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Drives.h"
#include "platform/FolderDropTarget.h"
#include "platform/FolderEnumerator.h"
#include "platform/ItemContextMenu.h"
#include "platform/LauncherDropTarget.h"
#include "platform/Places.h"
#include "platform/PromptsInForce.h"
#include "platform/ShellAllocator.h"
#include "platform/ShellItemInfo.h"
#include "platform/ShellLinkFile.h"
#include "platform/TrashDropTarget.h"

namespace {

constexpr const char* kColumnTitles[kDetailColumns] = {
    QT_TRANSLATE_NOOP("ShellColumns", "Name"), QT_TRANSLATE_NOOP("ShellColumns", "Size"),
    QT_TRANSLATE_NOOP("ShellColumns", "Type"), QT_TRANSLATE_NOOP("ShellColumns", "Modified")};
constexpr int kColumnFormats[kDetailColumns] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT,
                                                LVCFMT_LEFT};
constexpr int kColumnWidths[kDetailColumns] = {25, 10, 20, 16};
constexpr SHCOLSTATEF kColumnStates[kDetailColumns] = {
    SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT, SHCOLSTATE_TYPE_INT | SHCOLSTATE_ONBYDEFAULT,
    SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT, SHCOLSTATE_TYPE_DATE | SHCOLSTATE_ONBYDEFAULT};

// "::Name" parsing names of the desktop's virtual folders.
constexpr struct {
    const char* name;
    VirtualId id;
} kVirtualParsingNames[] = {{"::Home", VirtualId::Home},
                            {"::Computer", VirtualId::Computer},
                            {"::Trash", VirtualId::Trash}};

// Renames unless the new name exists (EEXIST then). File systems that cannot
// do that atomically get a check before the rename.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat existing;
    if (lstat(to.c_str(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(from.c_str(), to.c_str()) == 0;
}

// Appends a one-item list's item to a list being built; frees the item.
bool AppendItem(std::string& bytes, LPITEMIDLIST item) {
    if (item == nullptr)
        return false;
    bytes.append(reinterpret_cast<const char*>(item), ItemBytes(item));
    FreeList(item);
    return true;
}

// A list from the items' bytes, terminator added.
LPITEMIDLIST ListFromBytes(const std::string& bytes) {
    auto* list = static_cast<std::uint8_t*>(CoTaskMemAlloc(bytes.size() + 2));
    if (list != nullptr) {
        std::memcpy(list, bytes.data(), bytes.size());
        list[bytes.size()] = list[bytes.size() + 1] = 0;
    }
    return reinterpret_cast<LPITEMIDLIST>(list);
}

// The entries of a relative path below `folder`, as item bytes.
HRESULT ParseRelative(const std::string& folder, const std::string& relative, std::string& bytes) {
    std::string path = folder;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        std::string name = relative.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        path = JoinPath(path, name);
        struct stat facts;
        if (lstat(path.c_str(), &facts) != 0)
            return HResultFromErrno(errno);
        if (!AppendItem(bytes, MakeEntryItem(facts, name)))
            return E_OUTOFMEMORY;
    }
    return S_OK;
}

// The path with every link resolved; empty when it does not resolve.
std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    std::string text = real != nullptr ? real : "";
    std::free(real);
    return text;
}

// The drive holding an absolute path: the longest mount path above it.
const DriveInfo* DriveHolding(const std::string& path) {
    const DriveInfo* best = nullptr;
    for (const DriveInfo& drive : Drives()) {
        const std::string& mount = drive.MountPath;
        bool holds = path.compare(0, mount.size(), mount) == 0 &&
                     (mount == "/" || path.size() == mount.size() || path[mount.size()] == '/');
        if (holds && (best == nullptr || mount.size() > best->MountPath.size()))
            best = &drive;
    }
    return best;
}

HRESULT ParseAbsolute(const std::string& path, std::string& bytes) {
    const DriveInfo* drive = DriveHolding(path);
    if (drive == nullptr)
        return E_INVALIDARG;
    if (!AppendItem(bytes, MakeDriveItem(drive->Type, drive->MountPath)))
        return E_OUTOFMEMORY;
    return ParseRelative(drive->MountPath, path.substr(drive->MountPath.size()), bytes);
}

class ShellFolder final : public IShellFolder2, public IShellDetails {
  public:
    ShellFolder(FolderKind kind, std::string path) : kind_(kind), path_(std::move(path)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override;

    HRESULT ParseDisplayName(HWND owner, IBindCtx* bindContext, const OLECHAR* name, ULONG* eaten,
                             LPITEMIDLIST* list, ULONG* attributes) override;
    HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator) override;
    HRESULT BindToObject(LPCITEMIDLIST list, IBindCtx* bindContext, REFIID iid,
                         void** object) override;
    HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) override;
    HRESULT CreateViewObject(HWND owner, REFIID iid, void** object) override;
    HRESULT GetAttributesOf(UINT count, const LPCITEMIDLIST* items, ULONG* inOut) override;
    HRESULT GetUIObjectOf(HWND owner, UINT count, const LPCITEMIDLIST* items, REFIID iid,
                          UINT* reserved, void** object) override;
    HRESULT GetDisplayNameOf(LPCITEMIDLIST item, DWORD flags, STRRET* name) override;
    HRESULT SetNameOf(HWND owner, LPCITEMIDLIST item, const OLECHAR* name, DWORD flags,
                      LPITEMIDLIST* newItem) override;

    HRESULT GetDefaultColumn(DWORD reserved, ULONG* sortColumn, ULONG* displayColumn) override;
    HRESULT GetDefaultColumnState(UINT column, SHCOLSTATEF* state) override;
    HRESULT GetDetailsOf(LPCITEMIDLIST item, UINT column, SHELLDETAILS* details) override;
    HRESULT ColumnClick(UINT) override { return S_FALSE; }  // the caller sorts

    bool AppendSortKey(LPCITEMIDLIST item, int column, std::string& keys) const {
        return item != nullptr && HasOneItem(item) && AppendItemSortKey(path_, item, column, keys);
    }

  private:
    ~ShellFolder() override = default;

    // The folder object of this folder's item `item` (first item of a list).
    HRESULT BindChild(LPCITEMIDLIST item, ComPtr<IShellFolder2>& child);
    // Runs `call` on the folder that holds the last item of a several-item list.
    template <class Call>
    HRESULT InChild(LPCITEMIDLIST list, Call call);
    HRESULT ParseOwnName(const std::string& name, std::string& bytes);
    // SetNameOf's work on a checked entry item.
    HRESULT Rename(LPCITEMIDLIST item, const std::string& name, LPITEMIDLIST* newItem);
    bool IsBelowFolder(const std::string& path, std::string& below) const;
    HRESULT ParseFromComputer(const std::string& path, std::string& bytes);
    std::vector<LPITEMIDLIST> FixedItems() const;
    std::vector<TContextMenuItem> MenuItems(UINT count, const LPCITEMIDLIST* items);
    // The folder a drop onto the item fills; empty when the item takes none.
    std::string DropFolderOf(LPCITEMIDLIST item) const;
    // A launcher in the Send To folder takes drops: it runs its program.
    bool IsSendToLauncher(LPCITEMIDLIST item) const;

    std::atomic<ULONG> references_{1};
    FolderKind kind_;
    std::string path_;
};

HRESULT ShellFolder::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IShellFolder || iid == IID_IShellFolder2)
        *object = static_cast<IShellFolder2*>(this);
    else if (iid == IID_IShellDetails)
        *object = static_cast<IShellDetails*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ShellFolder::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ShellFolder::BindChild(LPCITEMIDLIST item, ComPtr<IShellFolder2>& child) {
    switch (KindOf(item)) {
        case ItemKind::Virtual:
            if (VirtualIdOf(item) == VirtualId::Computer)
                child = ComPtr<IShellFolder2>(NewShellFolder(FolderKind::Computer, {}));
            else
                child = ComPtr<IShellFolder2>(
                    NewShellFolder(FolderKind::FileSystem, ItemPath(path_, item)));
            return S_OK;
        case ItemKind::Drive:
        case ItemKind::Entry:
            if (KindOf(item) == ItemKind::Entry && !IsFolderEntry(path_, EntryFactsOf(item)))
                return HResultFromErrno(ENOTDIR);
            child = ComPtr<IShellFolder2>(
                NewShellFolder(FolderKind::FileSystem, ItemPath(path_, item)));
            return S_OK;
        case ItemKind::None:
            break;
    }
    return E_INVALIDARG;
}

template <class Call>
HRESULT ShellFolder::InChild(LPCITEMIDLIST list, Call call) {
    ComPtr<IShellFolder2> child;
    HRESULT hr = BindChild(list, child);
    return FAILED(hr) ? hr : call(child.Get(), NextItem(list));
}

std::vector<LPITEMIDLIST> ShellFolder::FixedItems() const {
    std::vector<LPITEMIDLIST> items;
    if (kind_ == FolderKind::Desktop) {
        for (const auto& known : kVirtualParsingNames)
            items.push_back(MakeVirtualItem(known.id));
    } else if (kind_ == FolderKind::Computer) {
        for (const DriveInfo& drive : Drives())
            items.push_back(MakeDriveItem(drive.Type, drive.MountPath));
    }
    std::erase(items, nullptr);
    return items;
}

HRESULT ShellFolder::ParseOwnName(const std::string& name, std::string& bytes) {
    if (kind_ == FolderKind::Desktop && name.starts_with("::")) {
        for (const auto& known : kVirtualParsingNames) {
            if (name == known.name)
                return AppendItem(bytes, MakeVirtualItem(known.id)) ? S_OK : E_OUTOFMEMORY;
        }
        return E_INVALIDARG;
    }
    bool absolute = name.starts_with("/");
    if (absolute ? kind_ == FolderKind::FileSystem : kind_ == FolderKind::Computer)
        return E_INVALIDARG;
    if (!absolute && !HasDotComponent(name))
        return ParseRelative(path_, name, bytes);
    // "." and ".." go as the kernel takes them; a relative name that leads out
    // of this folder names a place only the desktop can reach.
    std::string path, below;
    if (!ResolveDotComponents(absolute ? name : JoinPath(path_, name), path))
        return HResultFromErrno(errno);
    if (!absolute && IsBelowFolder(path, below))
        return ParseRelative(path_, below, bytes);
    return kind_ == FolderKind::FileSystem ? E_INVALIDARG : ParseFromComputer(path, bytes);
}

// Whether an absolute path lies below this folder, and the rest of it.
bool ShellFolder::IsBelowFolder(const std::string& path, std::string& below) const {
    for (const std::string& folder : {path_, RealPath(path_)}) {
        std::string prefix = JoinPath(folder, "");
        if (!folder.empty() && path.size() > prefix.size() && path.starts_with(prefix)) {
            below = path.substr(prefix.size());
            return true;
        }
    }
    return false;
}

// An absolute path by way of Computer and the drive that holds it. The Trash
// that was never used has no folder yet, but its name still names the Trash.
HRESULT ShellFolder::ParseFromComputer(const std::string& path, std::string& bytes) {
    if (kind_ == FolderKind::Desktop && !AppendItem(bytes, MakeVirtualItem(VirtualId::Computer)))
        return E_OUTOFMEMORY;
    HRESULT hr = ParseAbsolute(path, bytes);
    if (kind_ == FolderKind::Desktop && hr == HResultFromErrno(ENOENT) &&
        path == TrashFilesPath()) {
        bytes.clear();
        return AppendItem(bytes, MakeVirtualItem(VirtualId::Trash)) ? S_OK : E_OUTOFMEMORY;
    }
    return hr;
}

HRESULT ShellFolder::ParseDisplayName(HWND, IBindCtx*, const OLECHAR* name, ULONG* eaten,
                                      LPITEMIDLIST* list, ULONG* attributes) {
    if (name == nullptr || list == nullptr)
        return E_INVALIDARG;
    *list = nullptr;
    std::string bytes;
    HRESULT hr = name[0] == 0 ? E_INVALIDARG : ParseOwnName(name, bytes);
    if (FAILED(hr))
        return hr;
    *list = ListFromBytes(bytes);
    if (*list == nullptr)
        return E_OUTOFMEMORY;
    if (eaten != nullptr)
        *eaten = static_cast<ULONG>(std::strlen(name));
    if (attributes != nullptr && *attributes != 0 && !IsEmptyList(*list)) {
        LPCITEMIDLIST parsed = *list;
        GetAttributesOf(1, &parsed, attributes);
    }
    return S_OK;
}

HRESULT ShellFolder::EnumObjects(HWND, DWORD flags, IEnumIDList** enumerator) {
    if (enumerator == nullptr)
        return E_INVALIDARG;
    *enumerator = nullptr;
    DIR* directory = nullptr;
    if (kind_ != FolderKind::Computer) {
        directory = opendir(path_.c_str());
        // The desktop still lists its virtual folders without its directory, and
        // a trash that was never used has no directory yet: it is empty.
        bool emptyTrash = errno == ENOENT && path_ == TrashFilesPath();
        if (directory == nullptr && kind_ == FolderKind::FileSystem && !emptyTrash)
            return HResultFromErrno(errno);
    }
    *enumerator = new FolderEnumerator(FixedItems(), directory, path_, flags);
    return S_OK;
}

HRESULT ShellFolder::BindToObject(LPCITEMIDLIST list, IBindCtx*, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (IsEmptyList(list))
        return E_INVALIDARG;
    if (!(iid == IID_IShellFolder || iid == IID_IShellFolder2))
        return E_NOINTERFACE;
    return InChild(list, [&](IShellFolder2* child, LPCITEMIDLIST rest) {
        return IsEmptyList(rest) ? child->QueryInterface(iid, object)
                                 : child->BindToObject(rest, nullptr, iid, object);
    });
}

HRESULT ShellFolder::CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (a == nullptr || b == nullptr)
        return E_INVALIDARG;
    if (IsEmptyList(a) || IsEmptyList(b))
        return MakeCompareResult(int(!IsEmptyList(a)) - int(!IsEmptyList(b)));
    // The same bytes name the same place, even where its folder is gone.
    std::size_t bytes = ListBytes(a);
    if (bytes == ListBytes(b) && std::memcmp(a, b, bytes) == 0)
        return MakeCompareResult(0);
    // A column's facts decide between the last items only: ancestors are
    // compared as places, whatever changed in them between two parses.
    LPCITEMIDLIST restA = NextItem(a), restB = NextItem(b);
    bool lastItems = IsEmptyList(restA) && IsEmptyList(restB);
    int order = 0;
    int itemColumn = lastItems ? static_cast<int>(column & SHCIDS_COLUMNMASK) : 0;
    if ((column & SHCIDS_COLUMNMASK) >= kDetailColumns ||
        !CompareItems(path_, itemColumn, a, b, order))
        return E_INVALIDARG;
    if (order != 0)
        return MakeCompareResult(order);
    if (IsEmptyList(restA) || IsEmptyList(restB))
        return MakeCompareResult(int(!IsEmptyList(restA)) - int(!IsEmptyList(restB)));
    return InChild(a, [&](IShellFolder2* child, LPCITEMIDLIST) {
        return child->CompareIDs(column, restA, restB);
    });
}

HRESULT ShellFolder::CreateViewObject(HWND, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IShellDetails)
        return QueryInterface(iid, object);
    // The folder's own drop target takes drops on its empty space; its menu
    // is had from its parent (GetUIObjectOf).
    if (iid == IID_IDropTarget && !path_.empty() && !IsTrashPath(path_)) {
        *object = NewFolderDropTarget(path_);
        return S_OK;
    }
    return iid == IID_IDropTarget || iid == IID_IContextMenu ? E_NOTIMPL : E_NOINTERFACE;
}

HRESULT ShellFolder::GetAttributesOf(UINT count, const LPCITEMIDLIST* items, ULONG* inOut) {
    if (inOut == nullptr || (count > 0 && items == nullptr))
        return E_INVALIDARG;
    ULONG request = *inOut;
    if (count == 0) {
        if ((request & SFGAO_VALIDATE) && kind_ == FolderKind::Computer)
            RefreshDrives();
        return S_OK;
    }
    ULONG common = ~ULONG{0};
    int folderWritable = -1;
    for (UINT i = 0; i < count; ++i) {
        LPCITEMIDLIST item = items[i];
        if (item == nullptr || (KindOf(item) == ItemKind::None && !IsEmptyList(item)))
            return E_INVALIDARG;
        ULONG answer = request;
        if (!IsEmptyList(item) && !HasOneItem(item)) {
            HRESULT hr = InChild(item, [&](IShellFolder2* child, LPCITEMIDLIST rest) {
                return child->GetAttributesOf(1, &rest, &answer);
            });
            if (FAILED(hr))
                return hr;
        } else {
            struct stat facts;
            std::string path = ItemPath(path_, item);
            bool checkExists = (request & SFGAO_VALIDATE) && KindOf(item) == ItemKind::Entry;
            if (checkExists && lstat(path.c_str(), &facts) != 0)
                return HResultFromErrno(errno);
            answer = ItemAttributes(path_, item, request, folderWritable);
        }
        common &= answer;
    }
    *inOut = request & common & ~SFGAO_VALIDATE;
    return S_OK;
}

HRESULT ShellFolder::GetUIObjectOf(HWND, UINT count, const LPCITEMIDLIST* items, REFIID iid, UINT*,
                                   void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IDropTarget || iid == IID_IContextMenu))
        return E_NOINTERFACE;
    if (count == 0 || items == nullptr)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        if (!HasOneItem(items[i]) || KindOf(items[i]) == ItemKind::None)
            return E_INVALIDARG;
    if (iid == IID_IContextMenu) {
        *object = NewItemContextMenu(path_, MenuItems(count, items));
        return S_OK;
    }
    if (count != 1)
        return E_NOINTERFACE;
    // The Trash takes drops as deletions, with their restore records.
    if (IsTrashFolder(ItemPath(path_, items[0]))) {
        *object = NewTrashDropTarget();
        return S_OK;
    }
    std::string target = DropFolderOf(items[0]);
    if (!target.empty())
        *object = NewFolderDropTarget(target);
    else if (IsSendToLauncher(items[0]))
        *object = NewLauncherDropTarget(ItemPath(path_, items[0]));
    return *object != nullptr ? S_OK : E_NOINTERFACE;
}

bool ShellFolder::IsSendToLauncher(LPCITEMIDLIST item) const {
    return path_ == SendToPath() && KindOf(item) == ItemKind::Entry &&
           EntryFactsOf(item).Name.ends_with(".desktop");
}

std::vector<TContextMenuItem> ShellFolder::MenuItems(UINT count, const LPCITEMIDLIST* items) {
    constexpr ULONG kAsked = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANDELETE | SFGAO_CANRENAME |
                             SFGAO_FOLDER | SFGAO_FILESYSTEM;
    std::vector<TContextMenuItem> menuItems;
    int folderWritable = -1;
    for (UINT i = 0; i < count; ++i)
        menuItems.push_back(
            {ItemPath(path_, items[i]), ItemAttributes(path_, items[i], kAsked, folderWritable)});
    return menuItems;
}

std::string ShellFolder::DropFolderOf(LPCITEMIDLIST item) const {
    // Items of the Trash, and the Trash itself, take no files this way: they
    // would arrive without their restore records.
    if (IsTrashPath(path_))
        return {};
    switch (KindOf(item)) {
        case ItemKind::Virtual:
            return VirtualIdOf(item) == VirtualId::Home ? ItemPath(path_, item) : std::string();
        case ItemKind::Drive:
            return ItemPath(path_, item);
        case ItemKind::Entry:
            return IsFolderEntry(path_, EntryFactsOf(item)) ? ItemPath(path_, item) : std::string();
        case ItemKind::None:
            break;
    }
    return {};
}

HRESULT ShellFolder::GetDisplayNameOf(LPCITEMIDLIST item, DWORD flags, STRRET* name) {
    if (item == nullptr || name == nullptr)
        return E_INVALIDARG;
    if (IsEmptyList(item) ? kind_ != FolderKind::Desktop : KindOf(item) == ItemKind::None)
        return E_INVALIDARG;
    if (!IsEmptyList(item) && !HasOneItem(item)) {
        return InChild(item, [&](IShellFolder2* child, LPCITEMIDLIST rest) {
            HRESULT hr = child->GetDisplayNameOf(rest, flags, name);
            // An offset counts from the item the caller passed.
            if (SUCCEEDED(hr) && name->uType == STRRET_OFFSET)
                name->uOffset += static_cast<UINT>(reinterpret_cast<const std::uint8_t*>(rest) -
                                                   reinterpret_cast<const std::uint8_t*>(item));
            return hr;
        });
    }
    ItemDisplayName(path_, item, flags, name);
    return name->uType == STRRET_WSTR && name->pOleStr == nullptr ? E_OUTOFMEMORY : S_OK;
}

namespace {

// Why a new name was refused, as the person is told.
QString RenameRefusal(const std::string& name, HRESULT hr) {
    if (hr != E_INVALIDARG)
        return QString::fromStdString(SysErrorMessage(hr));
    if (name.empty())
        return QCoreApplication::translate("ShellFolder", "a name cannot be empty");
    if (name.find('/') != std::string::npos)
        return QCoreApplication::translate("ShellFolder", "a name cannot contain \"/\"");
    return QCoreApplication::translate("ShellFolder", "\".\" and \"..\" cannot be names");
}

std::string RenameRefusedText(const std::string& from, const std::string& to, HRESULT hr) {
    return QCoreApplication::translate("ShellFolder", "Cannot rename \"%1\" to \"%2\": %3.")
        .arg(QString::fromStdString(from), QString::fromStdString(to), RenameRefusal(to, hr))
        .toStdString();
}

}  // namespace

HRESULT ShellFolder::SetNameOf(HWND owner, LPCITEMIDLIST item, const OLECHAR* name, DWORD,
                               LPITEMIDLIST* newItem) {
    if (newItem != nullptr)
        *newItem = nullptr;
    if (!HasOneItem(item) || KindOf(item) != ItemKind::Entry || name == nullptr)
        return E_INVALIDARG;
    const HRESULT hr = Rename(item, name, newItem);
    if (FAILED(hr) && owner != 0)
        ShellPrompts().ReportError(
            RenameRefusedText(std::string(EntryFactsOf(item).Name), name, hr));
    return hr;
}

HRESULT ShellFolder::Rename(LPCITEMIDLIST item, const std::string& name, LPITEMIDLIST* newItem) {
    if (!IsEntryName(name))
        return E_INVALIDARG;
    if (IsTrashFolder(path_))
        return HResultFromErrno(EPERM);
    std::string from = ItemPath(path_, item), to = JoinPath(path_, name);
    if (from != to && !RenameWithoutReplacing(from, to))
        return HResultFromErrno(errno);
    struct stat facts;
    if (lstat(to.c_str(), &facts) != 0)
        return HResultFromErrno(errno);
    if (newItem != nullptr && (*newItem = MakeEntryItem(facts, name)) == nullptr)
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT ShellFolder::GetDefaultColumn(DWORD, ULONG* sortColumn, ULONG* displayColumn) {
    if (sortColumn == nullptr || displayColumn == nullptr)
        return E_INVALIDARG;
    *sortColumn = *displayColumn = 0;
    return S_OK;
}

HRESULT ShellFolder::GetDefaultColumnState(UINT column, SHCOLSTATEF* state) {
    if (state == nullptr || column >= kDetailColumns)
        return E_INVALIDARG;
    *state = kColumnStates[column];
    return S_OK;
}

HRESULT ShellFolder::GetDetailsOf(LPCITEMIDLIST item, UINT column, SHELLDETAILS* details) {
    if (details == nullptr || column >= kDetailColumns)
        return E_INVALIDARG;
    if (item != nullptr && (!HasOneItem(item) || KindOf(item) == ItemKind::None))
        return E_INVALIDARG;
    details->fmt = kColumnFormats[column];
    details->cxChar = kColumnWidths[column];
    std::string text =
        item == nullptr
            ? QCoreApplication::translate("ShellColumns", kColumnTitles[column]).toStdString()
            : ItemDetailText(path_, item, static_cast<int>(column));
    details->str.uType = STRRET_CSTR;
    std::snprintf(details->str.cStr, sizeof details->str.cStr, "%s", text.c_str());
    return S_OK;
}

}  // namespace

bool FolderSortKeys(IShellFolder* folder, int column, std::span<const LPCITEMIDLIST> items,
                    TSortKeys& keys) {
    const auto* own = dynamic_cast<const ShellFolder*>(folder);
    if (own == nullptr)
        return false;
    keys.Bytes.clear();
    keys.Bytes.reserve(items.size() * 64);
    keys.Starts.assign(1, 0);
    keys.Starts.reserve(items.size() + 1);
    for (LPCITEMIDLIST item : items) {
        if (!own->AppendSortKey(item, column, keys.Bytes))
            return false;
        keys.Starts.push_back(keys.Bytes.size());
    }
    return true;
}

IShellFolder2* NewShellFolder(FolderKind kind, std::string path) {
    return new ShellFolder(kind, std::move(path));
}
