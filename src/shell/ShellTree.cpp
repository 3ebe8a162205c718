#include "shell/ShellTree.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/Cursor.h"
#include "framework/Exception.h"
#include "framework/FileUtils.h"
#include "framework/ScopeExit.h"
#include "platform/DeviceChanges.h"
#include "platform/Drives.h"
#include "shell/DeviceChangeHandler.h"
#include "shell/DisplayNames.h"
#include "shell/DriveValidation.h"
#include "shell/FolderItemOrder.h"
#include "shell/FolderRefresh.h"
#include "shell/ShellEnv.h"
#include "shell/ShellError.h"
#include "shell/ShellPaths.h"
#include "shell/SystemImages.h"

namespace {

// Attributes a node is made from: has-subfolder, file system, folder,
// file-system ancestor, removable, hidden, share and link.
constexpr ULONG kNodeAttributes = 0xF20B0000;
constexpr DWORD kShell6 = 0x00060000;
constexpr ULONG kFolderBits = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;

// Drives without medium bring up no system dialog while a level is read.
class ErrorModeScope {
  public:
    ErrorModeScope() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~ErrorModeScope() { SetErrorMode(previous_); }

  private:
    UINT previous_;
};

// CompareIDs' answer as an order; a failure reads as "equal".
int CompareResult(HRESULT code) {
    return SUCCEEDED(code) ? static_cast<std::int16_t>(code & 0xFFFF) : 0;
}

bool IsWithin(const std::string& path, const std::string& mount) {
    return mount == "/" || path == mount || path.starts_with(mount + "/");
}

// A folder on a network drive is read only while its mount answers: a mount
// that stopped answering would hold the window in the read.
bool FolderAnswers(const std::string& path) {
    const DriveInfo* holder = nullptr;
    for (const DriveInfo& drive : Drives())
        if (IsWithin(path, drive.MountPath) &&
            (holder == nullptr || drive.MountPath.size() > holder->MountPath.size()))
            holder = &drive;
    return holder == nullptr || holder->Type != DRIVE_REMOTE || MountAnswers(holder->MountPath);
}

TRzDeviceChangeHandler::Method DeviceChangeMethod(
    TRzCustomShellTree* tree,
    void (TRzCustomShellTree::*method)(TRzDeviceChangeHandler*, TMessage&)) {
    return {tree, method};
}

}  // namespace

TRzCustomShellTree::TRzCustomShellTree(TComponent* owner)
    : TRzCustomTreeView(owner),
      window_([this](TMessage& message) { WindowProc(message); }),
      watches_(window_.Handle(), kChangeMessage),
      dropBridge_(Widget(), {View()->viewport()}),
      dragClock_(TickCountMs) {
    dragLoop_ = [this](QMimeData* mime, DWORD allowed, int button) {
        return RunQtDragLoop(View()->viewport(), mime, allowed, button);
    };
    delayTimer_.SetEnabled(false);
    delayTimer_.OnTimer = [this] { Application->HandleExceptions([this] { DelayTimerFired(); }); };
    dragStepTimer_.SetEnabled(false);
    dragStepTimer_.SetInterval(kDragStepMs);
    dragStepTimer_.OnTimer = [this] {
        Application->HandleExceptions([this] { DragHoverStep(dragPoint_); });
    };
    baseFolder_.OnChange = [this] { BaseFolderChanged(); };
    selectedFolder_.OnChange = [this] { SelectedFolderChanged(); };
    SetShowRoot(false);
    SetImages(GetSystemImageList(0));
    TRzDeviceChangeHandler::Get()->Subscribe(
        DeviceChangeMethod(this, &TRzCustomShellTree::DeviceChange));
    SetBounds(Left(), Top(), 150, 150);
    watches_.SetFilter(WatchFilter());
    expandAllTimer_.callOnTimeout([this] { ExpandAllSlice(); });
}

TRzCustomShellTree::~TRzCustomShellTree() {
    MarkDestroying();
    if (ShellEnv.DeviceChangeHandler != nullptr)
        ShellEnv.DeviceChangeHandler->Unsubscribe(
            DeviceChangeMethod(this, &TRzCustomShellTree::DeviceChange));
    if (shellList_ != nullptr)
        shellList_->SetLinkedTree(nullptr);
    DestroyWindowState();
}

// ------------------------------------------------------------------ places

void TRzCustomShellTree::SetBaseFolder(TRzShellLocator* place) {
    baseFolder_.Assign(place);
}

void TRzCustomShellTree::BaseFolderChanged() {
    if (Loading())
        return;
    {
        LockScope lock(*this);
        selectedFolder_.Clear();
    }
    if (options_ & stoAutoFill) {
        immediate_ = true;
        FillTree();
    }
}

void TRzCustomShellTree::SelectedFolderChanged() {
    StopExpandAll();
    if (lockCount_ == 0 && HasNodes())
        SelectByIdList(selectedFolder_.IdList());
}

void TRzCustomShellTree::SetShellList(IShellListLink* list) {
    if (list == shellList_)
        return;
    if (shellList_ != nullptr) {
        shellList_->SetLinkedTree(nullptr);
        RemoveFreeNotification(shellListComponent_);
    }
    shellList_ = list;
    shellListComponent_ = list != nullptr ? list->LinkComponent() : nullptr;
    if (list != nullptr) {
        list->SetLinkedTree(this);
        FreeNotification(shellListComponent_);
        list->AssignFolder(&selectedFolder_);
    }
}

void TRzCustomShellTree::Notification(TComponent* component, TOperation operation) {
    TRzCustomTreeView::Notification(component, operation);
    if (operation == opRemove && component != nullptr && component == shellListComponent_) {
        shellList_ = nullptr;
        shellListComponent_ = nullptr;
    }
}

void TRzCustomShellTree::SetOptions(TRzShellTreeOptions options) {
    if (options == options_)
        return;
    TRzShellTreeOptions changed = options ^ options_;
    options_ = options;
    if (changed & (stoDynamicRefresh | stoIncludeNonFolders))
        watches_.SetFilter(WatchFilter());
    if ((changed & stoOleDrop) && windowCreated_)
        SyncDropTarget();
}

// ------------------------------------------------------- window and loading

void TRzCustomShellTree::ParentChanged() {
    TRzCustomTreeView::ParentChanged();
    if (Parent() != nullptr && !windowCreated_)
        CreateWindowState();
    else if (Parent() == nullptr && windowCreated_)
        DestroyWindowState();
}

// The window exists: an auto-filling tree fills itself once the messages
// already queued have been handled.
void TRzCustomShellTree::CreateWindowState() {
    windowCreated_ = true;
    SyncDropTarget();
    if (!Loading() && (options_ & stoAutoFill) && !HasNodes())
        PostMessage(Handle(), kFillMessage);
    if (shellList_ != nullptr)
        shellList_->AssignFolder(&selectedFolder_);
}

void TRzCustomShellTree::DestroyWindowState() {
    windowCreated_ = false;
    dropBridge_.Revoke();
    DragLeave();
    pendingRefresh_ = false;  // a new window fills afresh
    DeleteAllNodes();
    delayTimer_.SetEnabled(false);
    delayAction_ = daNone;
    watches_.Stop();
}

void TRzCustomShellTree::DeleteAllNodes() {
    LockScope lock(*this);
    SetSelected(nullptr);
    ClearNodes();
    lastInserted_ = nullptr;
}

void TRzCustomShellTree::Loaded() {
    if (options_ & stoAutoFill) {
        if (!HasNodes())
            FillTree();
        if (shellList_ != nullptr)
            shellList_->AssignFolder(&selectedFolder_);
    }
    loadingStep_ = true;
    ScopeExit done([this] { loadingStep_ = false; });
    TRzCustomTreeView::Loaded();
}

void TRzCustomShellTree::WindowProc(TMessage& message) {
    if (message.Msg == kChangeMessage)
        ChangeNotified();
    else if (message.Msg == kFillMessage && !HasNodes())
        Application->HandleExceptions([this] { FillTree(); });
}

// ------------------------------------------------------------ fill and nodes

TRzShellTreeData* TRzCustomShellTree::ShellData(const TTreeNode* node) {
    return node != nullptr && node->type() == kShellNodeType
               ? static_cast<TRzShellTreeData*>(node->Data)
               : nullptr;
}

void TRzCustomShellTree::SetDeferring(bool& flag, bool value) {
    flag = value;
    if (!Busy() && pendingRefresh_) {
        pendingRefresh_ = false;
        RefreshTree();
    }
}

bool TRzCustomShellTree::Deferred() {
    if (Busy())
        pendingRefresh_ = true;
    return Busy();
}

void TRzCustomShellTree::FillTree() {
    if (Deferred())
        return;
    TCursorScope cursor(crHourGlass);
    DeleteAllNodes();
    ComPtr<IShellFolder> root;
    CheckShell(BindToFolder(baseFolder_.IdList(), root));
    FillNode(root.Get(), nullptr);
    if (selectedFolder_.IdList() == nullptr)
        SetSelected(FirstShellNode());
    else
        SelectByIdList(selectedFolder_.IdList());
    FlushPending(false);
}

// Loads one level. An enumeration that cannot start, or that the folder ends
// with E_FAIL, aborts silently and keeps the node expandable for a retry;
// any other failure raises the system's text for its code.
void TRzCustomShellTree::FillNode(IShellFolder* folder, TTreeNode* node) {
    if (OnFillStart)
        OnFillStart(this);
    ErrorModeScope errorMode;
    ScopeExit complete([this] {
        if (OnFillComplete)
            OnFillComplete(this);
    });
    bool rootLevel = node == nullptr;
    if (rootLevel)
        node = AddRootNode(folder);
    TOwnedIdList absolute(CopyIdList(nullptr, ShellData(node)->AbsoluteIdList()));
    HRESULT last = EnumerateInto(folder, absolute.get(), node);
    if (last == E_FAIL)
        throw EAbort();
    if (last != S_FALSE)
        throw EShellError(last);
    if (rootLevel)
        Expand(node);
}

TTreeNode* TRzCustomShellTree::AddRootNode(IShellFolder* folder) {
    LPCITEMIDLIST base = baseFolder_.IdList();
    TTreeNode* root = AddChild(nullptr, GetAbsDisplayName(base), kShellNodeType);
    root->ImageIndex = GetSysIconIndex(base, SHGFI_SMALLICON);
    root->SelectedIndex = GetSysIconIndex(base, SHGFI_SMALLICON | SHGFI_OPENICON);
    auto* data = new TRzShellTreeData(this);
    data->SetLists(nullptr, base != nullptr ? base : EmptyIdList());
    data->SetOwnFolder(folder);
    Inserted(root, data);
    return root;
}

// Gives a new node its record and reports it as the last inserted node.
void TRzCustomShellTree::Inserted(TTreeNode* node, TRzShellTreeData* data) {
    node->Data = data;
    lastInserted_ = node;
    if (OnInsertItem)
        OnInsertItem(this, node);
}

// Adds every item of the folder under the node, in the folder's order, and
// returns the enumeration's last result. The items are put in order before
// their nodes are made: sorting plain id lists costs a fraction of sorting
// the nodes afterwards.
HRESULT TRzCustomShellTree::EnumerateInto(IShellFolder* folder, LPCITEMIDLIST absolute,
                                          TTreeNode* node) {
    ComPtr<IEnumIDList> enumerator;
    const std::string path = IdListToPath(absolute);
    if (folder == nullptr || !FolderAnswers(path) ||
        FAILED(folder->EnumObjects(0, EnumFlags(), enumerator.Put()))) {
        node->SetHasChildren(true);
        throw EAbort();
    }
    node->Populated = true;
    HoldWatch(node, path);
    std::vector<TOwnedIdList> items;
    const HRESULT last = ReadEnumeration(enumerator.Get(), items);
    std::vector<LPCITEMIDLIST> lists(items.size());
    std::transform(items.begin(), items.end(), lists.begin(),
                   [](const TOwnedIdList& item) { return item.get(); });
    for (int position : TFolderItemOrder(folder, 0, std::move(lists)).Sorted())
        CheckShell(AddItem(folder, absolute, items[position].get(), node));
    if (node->childCount() == 0)
        node->SetHasChildren(false);
    return last;
}

DWORD TRzCustomShellTree::EnumFlags() const {
    DWORD flags = SHCONTF_FOLDERS;
    if (options_ & stoShowHidden)
        flags |= SHCONTF_INCLUDEHIDDEN;
    if (options_ & stoIncludeNonFolders)
        flags |= SHCONTF_NONFOLDERS;
    return flags;
}

HRESULT TRzCustomShellTree::AddItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                                    LPCITEMIDLIST item, TTreeNode* parent) {
    if (item == nullptr)
        return S_OK;
    ULONG attributes = kNodeAttributes;
    if (ShellEnv.ShellVersion.MS >= kShell6)
        attributes |= SFGAO_STREAM;
    HRESULT hr = parentFolder->GetAttributesOf(1, &item, &attributes);
    if (FAILED(hr))
        return hr;
    bool offered = (options_ & stoVirtualFolders) ||
                   (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) != 0;
    if (!offered || !DoAddItem(parentFolder, parentAbsolute, item, attributes))
        return S_OK;
    TTreeNode* node =
        AddChild(parent, GetDisplayName(parentFolder, item, nkInFolder), kShellNodeType);
    bool button = (options_ & stoIncludeNonFolders) ? (attributes & kFolderBits) != 0
                                                    : (attributes & kFolderBits) == kFolderBits;
    node->SetHasChildren(button);
    if (attributes & SFGAO_SHARE)
        node->OverlayIndex = 0;
    else if (attributes & SFGAO_LINK)
        node->OverlayIndex = 1;
    node->Cut = (attributes & SFGAO_HIDDEN) != 0;
    auto* data = new TRzShellTreeData(this);
    data->SetLists(ShellData(parent), item);
    Inserted(node, data);
    return S_OK;
}

bool TRzCustomShellTree::DoAddItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                                   LPCITEMIDLIST item, ULONG attributes) {
    bool allow = true;
    if (OnAddItem)
        OnAddItem(this, parentFolder, parentAbsolute, item, attributes, allow);
    return allow;
}

void TRzCustomShellTree::Deletion(TTreeNode* node) {
    ReleaseWatch(node);
    StopExpandAll();  // its queue may hold the node
    if (TRzShellTreeData* data = ShellData(node)) {
        if (OnDeleteItem)
            OnDeleteItem(this, node, data);
        delete data;
        node->Data = nullptr;
    }
    if (lastInserted_ == node)
        lastInserted_ = nullptr;
    TRzCustomTreeView::Deletion(node);
}

void TRzCustomShellTree::GetImageIndex(TTreeNode* node) {
    if (TRzShellTreeData* data = ShellData(node))
        node->ImageIndex = GetSysIconIndex(data->AbsoluteIdList(), SHGFI_SMALLICON);
    TRzCustomTreeView::GetImageIndex(node);
}

void TRzCustomShellTree::GetSelectedIndex(TTreeNode* node) {
    if (TRzShellTreeData* data = ShellData(node))
        node->SelectedIndex =
            GetSysIconIndex(data->AbsoluteIdList(), SHGFI_SMALLICON | SHGFI_OPENICON);
    TRzCustomTreeView::GetSelectedIndex(node);
}

// Siblings in the shell's own order of their folder.
int TRzCustomShellTree::CompareNodes(TTreeNode* a, TTreeNode* b) {
    TRzShellTreeData* first = ShellData(a);
    TRzShellTreeData* second = ShellData(b);
    IShellFolder* folder = first != nullptr && second != nullptr ? first->ParentFolder() : nullptr;
    if (folder == nullptr)
        return 0;
    return CompareResult(folder->CompareIDs(0, first->RelativeIdList(), second->RelativeIdList()));
}

bool TRzCustomShellTree::CanExpand(TTreeNode* node) {
    if (loadingStep_ || !TRzCustomTreeView::CanExpand(node))
        return false;
    TRzShellTreeData* data = ShellData(node);
    if (data != nullptr && node->HasChildren() && node->childCount() == 0) {
        TCursorScope cursor(crHourGlass);
        FillNode(data->OwnFolder(), node);
    }
    return node->childCount() > 0;
}

TTreeNode* TRzCustomShellTree::FirstShellNode() const {
    for (int i = 0; i < TopCount(); ++i)
        if (ShellData(TopNode(i)) != nullptr)
            return TopNode(i);
    return nullptr;
}

// The folder a shell node's children lie in; none for a foreign node or a
// folder that cannot be bound.
IShellFolder* TRzCustomShellTree::OwnFolderOf(const TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    return data != nullptr ? data->OwnFolder() : nullptr;
}

TTreeNode* TRzCustomShellTree::FindChild(TTreeNode* node, LPCITEMIDLIST item) {
    IShellFolder* folder = OwnFolderOf(node);
    if (folder == nullptr)
        return nullptr;
    for (int i = 0; i < node->childCount(); ++i) {
        TRzShellTreeData* child = ShellData(node->Child(i));
        if (child == nullptr)
            continue;
        HRESULT order = folder->CompareIDs(0, child->RelativeIdList(), item);
        if (SUCCEEDED(order) && CompareResult(order) == 0)
            return node->Child(i);
    }
    return nullptr;
}

// A node for an item the tree has not loaded (a hidden folder, one made since
// the level was read), put in its place among its siblings.
TTreeNode* TRzCustomShellTree::AddMissingChild(TTreeNode* node, LPCITEMIDLIST item) {
    IShellFolder* folder = OwnFolderOf(node);
    if (folder == nullptr)
        return nullptr;
    lastInserted_ = nullptr;
    if (FAILED(AddItem(folder, ShellData(node)->AbsoluteIdList(), item, node)) ||
        lastInserted_ == nullptr)
        return nullptr;
    TTreeNode* added = lastInserted_;
    SortChildren(node, false);
    return added;
}

// ------------------------------------------------------------------ refresh

void TRzCustomShellTree::RefreshTree() {
    if (Deferred())
        return;
    if (!HasNodes()) {
        FillTree();
        return;
    }
    TCursorScope cursor(crHourGlass);
    if (OnFillStart)
        OnFillStart(this);
    TTreeNode* remembered = nullptr;
    {
        LockScope lock(*this);
        remembered = Selected();
        SetSelected(nullptr);
        BeginUpdate();
        ScopeExit endUpdate([this] { EndUpdate(); });
        for (int i = TopCount() - 1; i >= 0; --i)
            MergeNode(TopNode(i), remembered);
    }
    if (remembered != nullptr) {
        immediate_ = true;
        SetSelected(remembered);
    }
    if (OnFillComplete)
        OnFillComplete(this);
}

// Merges a fresh enumeration of the node's folder into its children, then
// does the same for each child. Levels never loaded are left alone. A
// selection inside a removed node moves up to the node. A renewed entry (a
// folder whose time changed) keeps its node as it is: the node shows only
// its name, and its place is what the selection and the list follow.
void TRzCustomShellTree::MergeNode(TTreeNode* node, TTreeNode*& remembered) {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || (node->HasChildren() && node->childCount() == 0))
        return;
    IShellFolder* folder = data->OwnFolder();
    if (folder == nullptr)
        return;
    std::vector<TTreeNode*> children;
    std::vector<LPCITEMIDLIST> shown;
    for (int i = 0; i < node->childCount(); ++i) {
        if (TRzShellTreeData* child = ShellData(node->Child(i))) {
            children.push_back(node->Child(i));
            shown.push_back(child->RelativeIdList());
        }
    }
    std::vector<TOwnedIdList> fresh;
    if (FolderAnswers(IdListToPath(data->AbsoluteIdList())))
        EnumerateFresh(folder, fresh);
    const TFreshMatch match = MatchFresh(folder, shown, fresh);
    for (int gone : match.Gone) {
        if (remembered != nullptr && remembered->HasAncestor(children[gone]))
            remembered = node;
        DeleteNode(children[gone]);
    }
    for (int added : match.New)
        AddItem(folder, data->AbsoluteIdList(), fresh[added].get(), node);
    if (!match.New.empty())
        SortChildren(node, false);
    for (int i = 0; i < node->childCount(); ++i)
        MergeNode(node->Child(i), remembered);
}

void TRzCustomShellTree::EnumerateFresh(IShellFolder* folder, std::vector<TOwnedIdList>& fresh) {
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(0, EnumFlags(), items.Put())) || !items)
        return;
    ErrorModeScope errorMode;
    if (ReadEnumeration(items.Get(), fresh) != S_FALSE)
        fresh.clear();
}

// --------------------------------------------------------- watching the disk

void TRzCustomShellTree::ChangeNotified() {
    if (const int delay = ChangeDelay(skipNextChange_, busy_, Focused()))
        StartDelay(daRefresh, delay);
}

DWORD TRzCustomShellTree::WatchFilter() const {
    if (!(options_ & stoDynamicRefresh))
        return 0;
    DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME;
    if (options_ & stoIncludeNonFolders)
        filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    return filter;
}

void TRzCustomShellTree::HoldWatch(TTreeNode* node, const std::string& path) {
    if (path.empty() || !watchedNodes_.emplace(node, path).second)
        return;
    watches_.Hold(path);
}

void TRzCustomShellTree::ReleaseWatch(TTreeNode* node) {
    auto it = watchedNodes_.find(node);
    if (it == watchedNodes_.end())
        return;
    watches_.Release(it->second);
    watchedNodes_.erase(it);
}

void TRzCustomShellTree::DeviceChange(TRzDeviceChangeHandler*, TMessage& message) {
    if (message.WParam != DBT_DEVICEARRIVAL && message.WParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    Application->HandleExceptions([this] {
        ValidateDrives();
        ++ShellEnv.DrivesValidationSuspendCount;
        ScopeExit resume([] { --ShellEnv.DrivesValidationSuspendCount; });
        RefreshTree();
    });
}
