#include "shell/ShellTree.h"

#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/Cursor.h"
#include "framework/Exception.h"
#include "framework/FileUtils.h"
#include "framework/ScopeExit.h"
#include "platform/Beep.h"
#include "platform/DeviceChanges.h"
#include "platform/Drives.h"
#include "platform/FolderScan.h"
#include "platform/MimeTransport.h"
#include "platform/ShellQMenu.h"
#include "shell/DeviceChangeHandler.h"
#include "shell/DisplayNames.h"
#include "shell/DriveValidation.h"
#include "shell/FolderItemOrder.h"
#include "shell/FolderRefresh.h"
#include "shell/IdListArray.h"
#include "shell/ShellCommands.h"
#include "shell/ShellDataObject.h"
#include "shell/ShellDrag.h"
#include "shell/ShellEnv.h"
#include "shell/ShellError.h"
#include "shell/ShellPaths.h"
#include "shell/ShellShortcuts.h"
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

// Raises the lock count for a scope: the tree's own node work then only
// updates SelectedFolder.
class TRzCustomShellTree::LockScope {
  public:
    explicit LockScope(TRzCustomShellTree& tree) : tree_(tree) { ++tree_.lockCount_; }
    ~LockScope() { --tree_.lockCount_; }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

  private:
    TRzCustomShellTree& tree_;
};

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
        WatchLoadedFolders();
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
    WatchLoadedFolders();
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
    if (folder == nullptr || !FolderAnswers(IdListToPath(absolute)) ||
        FAILED(folder->EnumObjects(0, EnumFlags(), enumerator.Put()))) {
        node->SetHasChildren(true);
        throw EAbort();
    }
    node->Populated = true;
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
        WatchLoadedFolders();
    }
    return node->childCount() > 0;
}

TTreeNode* TRzCustomShellTree::FirstShellNode() const {
    for (int i = 0; i < TopCount(); ++i)
        if (ShellData(TopNode(i)) != nullptr)
            return TopNode(i);
    return nullptr;
}

// ----------------------------------------------------------------- selection

void TRzCustomShellTree::TreeMouseDown(TMouseButton button) {
    if (button == mbLeft)
        immediate_ = true;
}

void TRzCustomShellTree::Change(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (lockCount_ > 0 || loadingStep_) {
        if (data != nullptr)
            selectedFolder_.SetIdList(data->AbsoluteIdList());
        return;
    }
    TRzCustomTreeView::Change(node);
    if (data == nullptr)
        return;
    if (!immediate_ && shellList_ != nullptr) {
        StartDelay(daSelect, kSelectDelayMs);
        return;
    }
    SelectionTakesEffect(node);
}

// SelectedFolder and the linked list follow the node now.
void TRzCustomShellTree::SelectionTakesEffect(TTreeNode* node) {
    {
        LockScope lock(*this);
        LPCITEMIDLIST absolute = ShellData(node)->AbsoluteIdList();
        selectedFolder_.SetIdList(absolute);
        if (shellList_ != nullptr && node == Selected() && !shellList_->IsLoading())
            shellList_->SetFolderIdList(absolute);
    }
    immediate_ = false;
}

void TRzCustomShellTree::StartDelay(DelayAction action, int milliseconds) {
    // A refresh overtaken by a keyboard move still happens, after the move.
    if (delayAction_ == daRefresh && action == daSelect)
        refreshDue_ = true;
    delayTimer_.SetEnabled(false);
    delayAction_ = action;
    delayTimer_.SetInterval(milliseconds);
    delayTimer_.SetEnabled(true);
}

void TRzCustomShellTree::DelayTimerFired() {
    DelayAction action = delayAction_;
    delayTimer_.SetEnabled(false);
    delayAction_ = daNone;
    if (action == daSelect) {
        if (ShellData(Selected()) != nullptr)
            SelectionTakesEffect(Selected());
        if (std::exchange(refreshDue_, false))
            StartDelay(daRefresh, RefreshDelay(Focused()));
    } else if (action == daRefresh) {
        RefreshTree();
    }
}

void TRzCustomShellTree::FlushPending(bool flushLinkedList) {
    if (flushLinkedList && shellList_ != nullptr)
        shellList_->FlushPendingAction();
    if (delayTimer_.Enabled())
        DelayTimerFired();
}

void TRzCustomShellTree::SelectAncestor(int levels) {
    TTreeNode* node = Selected();
    if (node == nullptr)
        return;
    for (int i = 0; i < levels && node->Parent() != nullptr; ++i)
        node = node->Parent();
    immediate_ = true;
    SetSelected(node);
}

void TRzCustomShellTree::SelectByIdList(LPCITEMIDLIST absolute) {
    if (lockCount_ > 0)
        return;
    immediate_ = true;
    TTreeNode* node = FirstShellNode();
    if (node == nullptr)
        return;
    TRzIdListArray base(baseFolder_.IdList());
    TRzIdListArray target(absolute);
    BeginUpdate();
    ScopeExit endUpdate([this] { EndUpdate(); });
    if (target.Count() > 0) {
        Expand(node);
        if (target.Count() > base.Count())
            node = DescendTo(node, target, base.Count());
    }
    SetSelected(node);
    MakeVisible(node);
}

// Walks from the root down the target's items from `first` on, adding the
// nodes that are missing; beeps and stops at the deepest node reached when a
// level cannot be added.
TTreeNode* TRzCustomShellTree::DescendTo(TTreeNode* node, TRzIdListArray& target, int first) {
    for (int i = first; i < target.Count(); ++i) {
        LPITEMIDLIST item = target.Item(i);
        TTreeNode* child = FindChild(node, item);
        if (child == nullptr)
            child = AddMissingChild(node, item);
        if (child == nullptr) {
            MessageBeep(static_cast<UINT>(-1));
            return node;
        }
        node = child;
        bool last = i == target.Count() - 1;
        if (!last || (shellList_ != nullptr && shellList_->HidesFolders()))
            Expand(node);
    }
    return node;
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
    WatchLoadedFolders();
    if (OnFillComplete)
        OnFillComplete(this);
}

// Merges a fresh enumeration of the node's folder into its children, then
// does the same for each child. Levels never loaded are left alone. A
// selection inside a removed node moves up to the node.
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

// Every item of the folder now; none when the folder cannot be read to its
// end, so that its nodes then count as gone.
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

// Watches the folders of the loaded levels, nearest the root first, while the
// watcher's slots last.
void TRzCustomShellTree::WatchLoadedFolders() {
    if (!(options_ & stoDynamicRefresh)) {
        watches_.Clear();
        return;
    }
    std::vector<std::string> folders;
    std::deque<TTreeNode*> queue;
    for (int i = 0; i < TopCount(); ++i)
        queue.push_back(TopNode(i));
    while (!queue.empty()) {
        TTreeNode* node = queue.front();
        queue.pop_front();
        TRzShellTreeData* data = ShellData(node);
        if (data == nullptr || !node->Populated)
            continue;
        std::string path = IdListToPath(data->AbsoluteIdList());
        if (!path.empty() && FolderAnswers(path))
            folders.push_back(path);
        for (int i = 0; i < node->childCount(); ++i)
            queue.push_back(node->Child(i));
    }
    DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME;
    if (options_ & stoIncludeNonFolders)
        filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    watches_.Watch(folders, filter);
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

// ------------------------------------------------------------- commands

namespace {

// The files of the Send To folder as its menu lists them: files and links (a
// link to a folder is how a folder target is put there), not hidden, by name.
std::vector<std::string> SendToEntries() {
    std::vector<FolderEntry> entries;
    ScanFolder(SpecialFolderPath(0, CSIDL_SENDTO), entries);
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries)
        if (entry.Name[0] != '.' &&
            (entry.Type == EntryType::File || entry.Type == EntryType::Link))
            names.push_back(entry.Name);
    std::sort(names.begin(), names.end());
    return names;
}

// Puts the Send To entries in place of the placeholder, with ids 1, 2, ...
void FillSendTo(TShellMenu& menu, const std::vector<std::string>& entries) {
    TShellMenu* sendTo = menu.SendToMenu();
    if (sendTo == nullptr)
        return;
    sendTo->Items.clear();
    for (std::size_t i = 0; i < entries.size(); ++i)
        sendTo->Items.push_back(MenuCommand(static_cast<UINT>(i + 1), entries[i]));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool TRzCustomShellTree::CanEditNode(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    return (data == nullptr || data->CanRename()) && TRzCustomTreeView::CanEditNode(node);
}

// The name as the shell gives it for renaming, not the caption.
std::string TRzCustomShellTree::NodeEditText(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || data->ParentFolder() == nullptr)
        return TRzCustomTreeView::NodeEditText(node);
    return GetDisplayName(data->ParentFolder(), data->RelativeIdList(), nkForEditing);
}

void TRzCustomShellTree::EditingChanged(bool editing) {
    SetEditing(editing);
}

// A new caption renames the item on disk; on success the node and everything
// below it follow the new name and the level is sorted again. A name left as
// it was is no rename: nothing is asked of the disk, so no change
// notification of the tree's own is awaited either.
bool TRzCustomShellTree::NodeEdited(TTreeNode* node, std::string& caption) {
    caption = Trimmed(caption);
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr)
        return TRzCustomTreeView::NodeEdited(node, caption);
    IShellFolder* parent = data->ParentFolder();
    if (parent == nullptr)
        return false;
    TRzCustomTreeView::NodeEdited(node, caption);
    if (caption == NodeEditText(node))
        return false;
    TCursorScope hourglass(crHourGlass);
    skipNextChange_ = true;
    bool renamed = false;
    {
        LockScope lock(*this);
        LPITEMIDLIST newItem = nullptr;
        renamed = SUCCEEDED(parent->SetNameOf(0, data->RelativeIdList(), caption.c_str(),
                                              SHGDN_INFOLDER, &newItem));
        TOwnedIdList owned(newItem);
        if (renamed)
            Renamed(node, owned.get());
        else
            skipNextChange_ = false;
    }
    if (renamed)
        caption = GetDisplayName(parent, data->RelativeIdList(), SHGDN_INFOLDER);
    return renamed;
}

void TRzCustomShellTree::Renamed(TTreeNode* node, LPCITEMIDLIST newItem) {
    TRzShellTreeData* data = ShellData(node);
    if (newItem != nullptr)
        data->ReplaceItem(newItem);
    std::deque<TTreeNode*> below;
    for (int i = 0; i < node->childCount(); ++i)
        below.push_back(node->Child(i));
    while (!below.empty()) {
        TTreeNode* next = below.front();
        below.pop_front();
        if (TRzShellTreeData* nextData = ShellData(next))
            nextData->ForgetCachedValues();
        for (int i = 0; i < next->childCount(); ++i)
            below.push_back(next->Child(i));
    }
    SortChildren(node->Parent(), false);
    // The shown folder follows when it lies at or under the renamed node.
    TTreeNode* selected = Selected();
    if (selected != nullptr && selected->HasAncestor(node)) {
        selectedFolder_.SetIdList(ShellData(selected)->AbsoluteIdList());
        if (shellList_ != nullptr)
            shellList_->SetFolderIdList(ShellData(selected)->AbsoluteIdList());
    }
}

bool TRzCustomShellTree::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (!(options_ & stoDefaultKeyHandling) || IsEditing())
        return false;
    TTreeNode* node = Selected();
    switch (ShellShortcutOf(key, modifiers)) {
        case TShellShortcut::None:
            return false;
        case TShellShortcut::SelectAll:
            break;
        case TShellShortcut::Rename:
            EditNode(node);
            break;
        case TShellShortcut::Refresh:
            RefreshTree();
            break;
        case TShellShortcut::Cut:
            InvokeNodeVerb(node, "cut");
            break;
        case TShellShortcut::Copy:
            InvokeNodeVerb(node, "copy");
            break;
        case TShellShortcut::Paste:
            InvokeNodeVerb(node, "paste");
            RefreshTree();
            break;
        case TShellShortcut::Delete:
            InvokeNodeVerb(node, "delete");
            RefreshTree();
            break;
    }
    return true;
}

ComPtr<IContextMenu> TRzCustomShellTree::NodeMenu(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    if (data == nullptr || data->ParentData() == nullptr || data->ParentFolder() == nullptr ||
        IdListCount(data->AbsoluteIdList()) == 0)
        return {};
    ComPtr<IContextMenu> menu;
    LPCITEMIDLIST item = data->RelativeIdList();
    const HRESULT hr =
        data->ParentFolder()->GetUIObjectOf(0, 1, &item, IID_IContextMenu, nullptr, menu.PutVoid());
    if (FAILED(hr))
        throw EShellError(hr);
    return menu;
}

void TRzCustomShellTree::InvokeNodeVerb(TTreeNode* node, const std::string& verb) {
    ComPtr<IContextMenu> menu = NodeMenu(node);
    if (!menu)
        return;
    TShellMenu entries;
    if (FAILED(
            menu->QueryContextMenu(&entries, 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE)))
        return;
    if (const UINT id = MenuCommandOfVerb(menu.Get(), entries, verb))
        InvokeMenuVerb(menu.Get(), MakeIntVerb(id - kFirstMenuCommand));
}

void TRzCustomShellTree::NodeContextMenu(TTreeNode* node, TPoint pos) {
    if (!(options_ & stoContextMenus)) {
        TRzCustomTreeView::NodeContextMenu(node, pos);
        return;
    }
    QMenu* replaced = nullptr;
    if (OnNodeContextMenu)
        OnNodeContextMenu(this, node, pos, replaced);
    ShowShellMenu(node, pos);
}

void TRzCustomShellTree::ShowShellMenu(TTreeNode* node, TPoint pos) {
    ComPtr<IContextMenu> menu = NodeMenu(node);
    if (!menu)
        return;
    TShellMenu entries;
    const HRESULT hr = menu->QueryContextMenu(&entries, 0, kFirstMenuCommand, kLastMenuCommand,
                                              CMF_EXPLORE | CMF_CANRENAME);
    if (FAILED(hr))
        throw EShellError(hr);
    // The entries chosen from are the ones shown, whatever the folder holds
    // by the time the menu closes.
    const std::vector<std::string> sendTo = SendToEntries();
    FillSendTo(entries, sendTo);
    QMenu popup(Widget());
    FillQMenu(popup, entries);
    QObject::connect(&popup, &QMenu::hovered, [this, &menu](QAction* action) {
        if (OnPopupHint)
            OnPopupHint(this, MenuHelpText(menu.Get(), CommandOf(action)));
    });
    UINT id = 0;
    {
        SetBusy(true);
        struct Idle {
            TRzCustomShellTree* tree;
            ~Idle() { tree->SetBusy(false); }
        } idle{this};
        id = CommandOf(popup.exec(Widget()->mapToGlobal(QPoint(pos.X, pos.Y))));
    }
    if (id == 0)
        return;
    if (id < kFirstMenuCommand) {
        if (id <= sendTo.size())
            SendTo(node, sendTo[id - 1]);
    } else if (id == kFirstMenuCommand + kRenameCommandOffset) {
        EditNode(node);
    } else {
        InvokeMenuVerb(menu.Get(), MakeIntVerb(id - kFirstMenuCommand));
        RefreshTree();
    }
}

void TRzCustomShellTree::SendTo(TTreeNode* node, const std::string& entry) {
    TRzShellTreeData* data = ShellData(node);
    // A Send To folder gone meanwhile leaves nothing to send to (its empty
    // path would name an entry in the root folder instead).
    const std::string folder = SpecialFolderPath(0, CSIDL_SENDTO);
    if (data == nullptr || folder.empty())
        return;
    LPITEMIDLIST entryList = nullptr;
    if (FAILED(PathToIdList(folder + "/" + entry, &entryList)))
        return;
    TOwnedIdList ownedEntry(entryList);
    ComPtr<IDropTarget> drop;
    if (FAILED(GetUIObjectOfPlace(entryList, IID_IDropTarget, drop.PutVoid())))
        return;
    ComPtr<IDataObject> object = NodeDataObject(node);
    DWORD effect = DROPEFFECT_COPY;
    if (SUCCEEDED(drop->DragEnter(object.Get(), MK_LBUTTON, {0, 0}, &effect)) &&
        effect != DROPEFFECT_NONE)
        drop->Drop(object.Get(), MK_LBUTTON, {0, 0}, &effect);
    else
        drop->DragLeave();
}

// ------------------------------------------------------------ drag and drop

ComPtr<IDataObject> TRzCustomShellTree::NodeDataObject(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    TRzShellTreeData* parent = data->ParentData();
    return ComPtr<IDataObject>::Share(new TDataObject_shtv(
        data->ParentFolder(), parent != nullptr ? parent->AbsoluteIdList() : nullptr,
        {data->RelativeIdList()}));
}

// The node shows as the drop target while it is dragged.
bool TRzCustomShellTree::BeginNodeDrag(TTreeNode* node, int button) {
    TRzShellTreeData* data = ShellData(node);
    if (!(options_ & stoOleDrag) || data == nullptr || node->Parent() == nullptr || !dragLoop_)
        return false;
    SetDropTarget(node);
    ScopeExit unmark([this] { SetDropTarget(nullptr); });
    const DWORD allowed = ItemsDropEffects(data->ParentFolder(), {data->RelativeIdList()});
    dragLoop_(NewMimeDataFromDataObject(NodeDataObject(node).Get()), allowed, button);
    return true;
}

void TRzCustomShellTree::SyncDropTarget() {
    dropBridge_.Follow((options_ & stoOleDrop) != 0,
                       [this] { return ComPtr<IDropTarget>(new TDropTarget_shtv(*this)); });
}

TTreeNode* TRzCustomShellTree::ShellNodeAt(POINTL point) const {
    TTreeNode* node = NodeAt({point.x, point.y});
    return ShellData(node) != nullptr ? node : nullptr;
}

ComPtr<IDropTarget> TRzCustomShellTree::NodeDropTarget(TTreeNode* node) {
    TRzShellTreeData* data = ShellData(node);
    ComPtr<IDropTarget> target;
    LPCITEMIDLIST item = data->RelativeIdList();
    IShellFolder* parent = data->ParentFolder();
    if (parent != nullptr &&
        SUCCEEDED(parent->GetUIObjectOf(OwnerWindow(), 1, &item, IID_IDropTarget, nullptr,
                                        target.PutVoid())))
        return target;
    // The root names its place by an absolute list.
    if (FAILED(GetUIObjectOfPlace(data->AbsoluteIdList(), IID_IDropTarget, target.PutVoid())))
        target.Reset();
    return target;
}

DWORD TRzCustomShellTree::AskNodeTarget(TTreeNode* node, DWORD keyState, POINTL point,
                                        DWORD allowed) {
    ComPtr<IDropTarget> target = NodeDropTarget(node);
    if (!target)
        return DROPEFFECT_NONE;
    // The drop allows only what the dragged items allow: promise no more.
    return AskDropTarget(target.Get(), heldDrag_.Data.Get(), keyState, point,
                         allowed & heldDrag_.Effects);
}

HRESULT TRzCustomShellTree::DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                      DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    heldDrag_.Hold(data, keyState);
    hoverPoint_ = dragPoint_ = point;
    hoverSince_ = lastScrollCheck_ = dragClock_();
    dragStepTimer_.SetEnabled(true);
    TTreeNode* node = ShellNodeAt(point);
    *effect = node != nullptr && node->Parent() != nullptr
                  ? AskNodeTarget(node, keyState, point, *effect)
                  : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TRzCustomShellTree::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    TTreeNode* node = ShellNodeAt(point);
    *effect = node != nullptr ? AskNodeTarget(node, keyState, point, *effect) : DROPEFFECT_NONE;
    SetDropTarget(node);
    DragHoverStep(point);
    *effect |= DROPEFFECT_SCROLL;
    return S_OK;
}

HRESULT TRzCustomShellTree::DragLeave() {
    dragStepTimer_.SetEnabled(false);
    heldDrag_.Release();
    SetDropTarget(nullptr);
    return S_OK;
}

HRESULT TRzCustomShellTree::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr)
        return E_INVALIDARG;
    TTreeNode* node = ShellNodeAt(point);
    keyState = heldDrag_.DropKeyState(keyState);
    DragLeave();
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    ComPtr<IDropTarget> target = node != nullptr ? NodeDropTarget(node) : ComPtr<IDropTarget>();
    if (!target)
        return S_OK;
    const HRESULT hr = DropOnTarget(target.Get(), data, keyState, point, allowed, *effect);
    RefreshTree();
    return hr;
}

// After every move over the tree, and on the drag-step timer: a scroll step
// near the edges (at most every kDragScrollIntervalMs), and the node the
// pointer rested on opens.
void TRzCustomShellTree::DragHoverStep(POINTL point) {
    dragPoint_ = point;
    const std::uint32_t now = dragClock_();
    if (now - lastScrollCheck_ >= kDragScrollIntervalMs) {
        lastScrollCheck_ = now;
        ScrollNearEdge(point);
    }
    if (std::abs(point.x - hoverPoint_.x) > 1 || std::abs(point.y - hoverPoint_.y) > 1) {
        hoverPoint_ = point;
        hoverSince_ = now;
    } else if (now - hoverSince_ >= kDragExpandDelayMs) {
        hoverSince_ = now;
        ExpandHovered(point);
    }
}

void TRzCustomShellTree::ScrollNearEdge(POINTL point) {
    QWidget* viewport = View()->viewport();
    const QPoint at = viewport->mapFrom(Widget(), QPoint(point.x, point.y));
    auto step = [](QScrollBar* bar, int position, int extent, int margin) {
        if (position < margin)
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (position >= extent - margin)
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    };
    step(View()->verticalScrollBar(), at.y(), viewport->height(), kDragScrollMarginY);
    step(View()->horizontalScrollBar(), at.x(), viewport->width(), kDragScrollMarginX);
}

// Opened without an owner window, so that a drive without a medium shows no
// dialog while something is dragged over it.
void TRzCustomShellTree::ExpandHovered(POINTL point) {
    TTreeNode* node = ShellNodeAt(point);
    if (node == nullptr || !node->HasChildren() || node->childCount() > 0)
        return;
    ++noWindowCount_;
    ScopeExit lower([this] { --noWindowCount_; });
    Expand(node);
}
