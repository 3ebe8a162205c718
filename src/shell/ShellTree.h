#pragma once

#include <sys/types.h>

#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/Messages.h"
#include "framework/Timer.h"
#include "shell/FolderWatches.h"
#include "shell/QtDropBridge.h"
#include "shell/RzTreeView.h"
#include "shell/ShellDrag.h"
#include "shell/ShellDropTarget.h"
#include "shell/ShellLinks.h"
#include "shell/ShellLocator.h"
#include "shell/ShellTreeData.h"

class TRzDeviceChangeHandler;
class TRzIdListArray;

// Options of the folder tree, bit i = value 2^i.
enum TRzShellTreeOption : std::uint16_t {
    stoAutoFill = 1 << 0,            // fill when the window exists, after loading, on BaseFolder
    stoVirtualFolders = 1 << 1,      // list items outside the file system too
    stoDesignInteractive = 1 << 2,   // design time only
    stoDefaultKeyHandling = 1 << 3,  // the tree's shortcut keys
    stoContextMenus = 1 << 4,        // the shell's context menu on nodes
    stoDynamicRefresh = 1 << 5,      // watch loaded folders and refresh after changes
    stoIncludeNonFolders = 1 << 6,   // list files too
    stoOleDrag = 1 << 7,             // nodes can be dragged out
    stoOleDrop = 1 << 8,             // shell data can be dropped on nodes
    stoShowHidden = 1 << 9,          // list hidden items
};
using TRzShellTreeOptions = std::uint16_t;
constexpr TRzShellTreeOptions kDefaultShellTreeOptions = 0x3BB;

using TRzShAddItemEvent =
    std::function<void(TObject* sender, IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                       LPCITEMIDLIST item, ULONG attributes, bool& allowAdd)>;
using TRzShTreeDeleteItemEvent =
    std::function<void(TObject* sender, TTreeNode* node, TRzShellTreeData* data)>;
using TRzShTreeInsertItemEvent = std::function<void(TObject* sender, TTreeNode* node)>;
using TRzShPopupHintEvent = std::function<void(TObject* sender, const std::string& hint)>;

// The folder tree: the shell namespace from BaseFolder (the desktop when
// empty) as a tree whose levels load on first expansion. It follows the disk
// through a change watcher on its loaded folders, follows drive arrival and
// removal, and drives a linked file list (ShellList) with its selection: at
// once after a click or a programmatic selection, 500 ms after a keyboard move.
//
// Every shell node carries a TRzShellTreeData record, owned by the node; nodes
// of another type are foreign and skipped by every shell operation.
//
// Drag and drop: a node other than the root can be dragged out (stoOleDrag);
// shell data dragged over a node is offered to that node's drop target
// (stoOleDrop), the tree scrolling near its edges and opening a node the
// pointer rests on; a drop refreshes the tree.
class TRzCustomShellTree : public TRzCustomTreeView, public IShellTreeLink, public IDropSite {
  public:
    static constexpr int kShellNodeType = QTreeWidgetItem::UserType + 1;
    static constexpr std::uint32_t kChangeMessage = WM_USER + 101;  // from the watcher
    static constexpr std::uint32_t kFillMessage = WM_USER + 103;    // fill once the window exists
    static constexpr int kSelectDelayMs = 500;
    // A drag over the tree: scrolls near the edges at most this often; opens
    // the node the pointer has rested on this long.
    static constexpr std::uint32_t kDragScrollIntervalMs = 100;
    static constexpr std::uint32_t kDragExpandDelayMs = 400;
    static constexpr int kDragScrollMarginX = 26;
    static constexpr int kDragScrollMarginY = 20;
    // A pointer held still sends no moves: the drag-over step also runs this
    // often while a drag is over the tree.
    static constexpr int kDragStepMs = 50;
    // What the delay timer will do when it fires (its tag).
    enum DelayAction { daNone = 0, daSelect = 1, daRefresh = 2 };

    explicit TRzCustomShellTree(TComponent* owner);
    ~TRzCustomShellTree() override;

    // -- Places. Writing BaseFolder (outside loading) clears SelectedFolder and
    // refills; writing SelectedFolder's IdList selects that place's node.
    TRzShellLocator* BaseFolder() { return &baseFolder_; }
    void SetBaseFolder(TRzShellLocator* place);
    TRzShellLocator* SelectedFolder() override { return &selectedFolder_; }

    // -- The linked file list (none by default).
    IShellListLink* ShellList() const { return shellList_; }
    void SetShellList(IShellListLink* list);

    TRzShellTreeOptions Options() const { return options_; }
    void SetOptions(TRzShellTreeOptions options);

    // -- Operations.
    // Rebuilds the whole tree.
    void FillTree();
    // Re-reads every loaded level and merges it into the tree.
    void RefreshTree();
    void SelectAncestor(int levels) override;
    void FlushPending(bool flushLinkedList) override;
    // Selects the node of an absolute list, adding missing nodes on the way;
    // beeps and stops at the deepest node when a level cannot be added.
    void SelectByIdList(LPCITEMIDLIST absolute);

    // Adds one child node for `item` of `parentFolder` under `parent` (the top
    // level when null). S_OK also when the item is not wanted.
    virtual HRESULT AddItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                            LPCITEMIDLIST item, TTreeNode* parent);
    // Whether OnAddItem lets the item in (yes without a handler).
    virtual bool DoAddItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                           LPCITEMIDLIST item, ULONG attributes);
    // Loads one level: the root level (node null) or the children of `node`.
    virtual void FillNode(IShellFolder* folder, TTreeNode* node);

    // While the shell context menu is open (busy) or a label is edited, fills
    // and refreshes are only marked pending; the end of that state carries
    // out one refresh.
    void SetBusy(bool busy) { SetDeferring(busy_, busy); }
    void SetEditing(bool editing) { SetDeferring(editing_, editing); }
    // The tree's own rename: the next change notification is its own.
    void SkipNextChangeForTest() { skipNextChange_ = true; }

    // The node's shell record, or null for a foreign node.
    static TRzShellTreeData* ShellData(const TTreeNode* node);
    TTreeNode* LastInsertedNode() const { return lastInserted_; }

    // -- Opening every level below a node (`*`): breadth first, a few
    // milliseconds at a time between turns of the event loop, never through
    // a link to a folder or into another mounted file system, stopped by
    // Escape, a click or a new selection, and after kExpandAllCap nodes (with
    // a status text through OnStatusText).
    static constexpr int kExpandAllCap = 10000;
    void ExpandAllBelow(TTreeNode* node);
    void SetExpandAllCapForTest(int cap) { expandAllCap_ = cap; }
    void StopExpandAll();
    bool ExpandingAll() const { return expandAllTimer_.isActive(); }

    // -- State for tests and for the commands that build on the tree.
    WindowHandle Handle() const { return window_.Handle(); }
    std::intptr_t Perform(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        return window_.Perform(msg, wParam, lParam);
    }
    TTimer& DelayTimerForTest() { return delayTimer_; }
    DelayAction PendingActionForTest() const { return delayAction_; }
    const TFolderWatches& Watches() const { return watches_; }

    // -- Drag and drop.
    // The drag loop node drags run (Qt's by default; tests put their own).
    void SetDragLoopForTest(TDragLoop loop) { dragLoop_ = std::move(loop); }
    // The milliseconds clock of the drag-over steps (the tick count by default).
    void SetDragClockForTest(std::function<std::uint32_t()> clock) {
        dragClock_ = std::move(clock);
    }
    bool DropTargetRegisteredForTest() const { return dropBridge_.Registered(); }
    TTimer& DragStepTimerForTest() { return dragStepTimer_; }
    // While above 0, the shell is given no owner window (no dialogs appear).
    int NoWindowCountForTest() const { return noWindowCount_; }
    // The data object of a drag of the node (one reference for the caller).
    ComPtr<IDataObject> NodeDataObject(TTreeNode* node);

    // IDropSite: a drag over the tree (points in control coordinates).
    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    TRzShAddItemEvent OnAddItem;
    TRzShTreeDeleteItemEvent OnDeleteItem;
    TRzShTreeInsertItemEvent OnInsertItem;
    // The help text of the context-menu entry under the mouse.
    TRzShPopupHintEvent OnPopupHint;
    // A text for the status line: why `*` stopped.
    TRzShPopupHintEvent OnStatusText;
    TNotifyEvent OnFillStart;
    TNotifyEvent OnFillComplete;

  protected:
    // -- Life, fill and refresh.
    // Drive arrival and removal re-read the drives and refresh.
    virtual void DeviceChange(TRzDeviceChangeHandler* sender, TMessage& message);
    bool CanExpand(TTreeNode* node) override;
    void Deletion(TTreeNode* node) override;
    void GetImageIndex(TTreeNode* node) override;
    void GetSelectedIndex(TTreeNode* node) override;
    int CompareNodes(TTreeNode* a, TTreeNode* b) override;
    void Loaded() override;
    void ParentChanged() override;
    void Notification(TComponent* component, TOperation operation) override;
    TComponent* LinkComponent() override { return this; }

    // -- Selection.
    void Change(TTreeNode* node) override;
    void TreeMouseDown(TMouseButton button) override;

    // -- Commands and keys.
    bool CanEditNode(TTreeNode* node) override;
    std::string NodeEditText(TTreeNode* node) override;
    bool NodeEdited(TTreeNode* node, std::string& caption) override;
    // A refresh asked for while the label was edited runs when the box closes.
    void EditingChanged(bool editing) override;
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers) override;
    void NodeContextMenu(TTreeNode* node, TPoint pos) override;

    // -- Drag and drop.
    bool BeginNodeDrag(TTreeNode* node, int button) override;

  private:
    // Raises the lock count for a scope: the tree's own node work then only
    // updates SelectedFolder.
    class LockScope {
      public:
        explicit LockScope(TRzCustomShellTree& tree) : tree_(tree) { ++tree_.lockCount_; }
        ~LockScope() { --tree_.lockCount_; }
        LockScope(const LockScope&) = delete;
        LockScope& operator=(const LockScope&) = delete;

      private:
        TRzCustomShellTree& tree_;
    };

    // -- Life, fill and refresh.
    bool Busy() const { return busy_ || editing_; }
    void SetDeferring(bool& flag, bool value);
    // Whether a fill or refresh must wait for the busy state to end.
    bool Deferred();
    void WindowProc(TMessage& message);
    void CreateWindowState();
    void DestroyWindowState();
    void DeleteAllNodes();
    void BaseFolderChanged();
    void SelectedFolderChanged();
    TTreeNode* AddRootNode(IShellFolder* folder);
    void Inserted(TTreeNode* node, TRzShellTreeData* data);
    HRESULT EnumerateInto(IShellFolder* folder, LPCITEMIDLIST absolute, TTreeNode* node);
    DWORD EnumFlags() const;
    TTreeNode* FirstShellNode() const;
    static IShellFolder* OwnFolderOf(const TTreeNode* node);
    TTreeNode* FindChild(TTreeNode* node, LPCITEMIDLIST item);
    TTreeNode* AddMissingChild(TTreeNode* node, LPCITEMIDLIST item);
    void MergeNode(TTreeNode* node, TTreeNode*& remembered);
    // Every item of the folder now; none when the folder cannot be read to
    // its end, so that its nodes then count as gone.
    void EnumerateFresh(IShellFolder* folder, std::vector<TOwnedIdList>& fresh);
    void ChangeNotified();
    // The changes the watches look for under the options; 0 for none.
    DWORD WatchFilter() const;
    // A loaded level's folder is watched while its node lives.
    void HoldWatch(TTreeNode* node, const std::string& path);
    void ReleaseWatch(TTreeNode* node);

    // -- Selection.
    void StartDelay(DelayAction action, int milliseconds);
    void DelayTimerFired();
    void SelectionTakesEffect(TTreeNode* node);
    TTreeNode* DescendTo(TTreeNode* node, TRzIdListArray& target, int first);

    // -- Commands and keys.
    // The menu of the node's item from its parent folder; null for the root.
    ComPtr<IContextMenu> NodeMenu(TTreeNode* node);
    // Runs a canonical verb ("copy", "delete", ...) on the node's item.
    void InvokeNodeVerb(TTreeNode* node, const std::string& verb);
    void ShowShellMenu(TTreeNode* node, TPoint pos);
    // Hands the node's item to the Send To entry (a file name in the Send To
    // folder) as a drop.
    void SendTo(TTreeNode* node, const std::string& entry);
    void Renamed(TTreeNode* node, LPCITEMIDLIST newItem);
    // Whether the node's item is a folder (its default command shows it).
    static bool IsFolderNode(TTreeNode* node);
    void ShowNode(TTreeNode* node);

    // -- Drag and drop.
    void SyncDropTarget();
    HWND OwnerWindow() const { return noWindowCount_ > 0 ? 0 : Handle(); }
    TTreeNode* ShellNodeAt(POINTL point) const;
    ComPtr<IDropTarget> NodeDropTarget(TTreeNode* node);
    // The node's target asked as one enter, over and leave; the effect it gives.
    DWORD AskNodeTarget(TTreeNode* node, DWORD keyState, POINTL point, DWORD allowed);
    void DragHoverStep(POINTL point);
    void ScrollNearEdge(POINTL point);
    void ExpandHovered(POINTL point);

    MessageWindow window_;
    TTimer delayTimer_;
    DelayAction delayAction_ = daNone;
    bool refreshDue_ = false;  // a refresh waits behind a pending selection
    TRzShellLocator baseFolder_;
    TRzShellLocator selectedFolder_;
    IShellListLink* shellList_ = nullptr;
    TComponent* shellListComponent_ = nullptr;
    TRzShellTreeOptions options_ = kDefaultShellTreeOptions;
    int lockCount_ = 0;
    bool immediate_ = false;
    bool skipNextChange_ = false;
    bool busy_ = false;
    bool editing_ = false;
    bool pendingRefresh_ = false;
    bool loadingStep_ = false;
    bool windowCreated_ = false;
    TTreeNode* lastInserted_ = nullptr;
    TFolderWatches watches_;
    std::unordered_map<const TTreeNode*, std::string> watchedNodes_;  // node -> its folder

    TQtDropBridge dropBridge_;
    TDragLoop dragLoop_;
    std::function<std::uint32_t()> dragClock_;
    THeldDrag heldDrag_;  // of the drag over the tree
    int noWindowCount_ = 0;
    std::uint32_t lastScrollCheck_ = 0;
    std::uint32_t hoverSince_ = 0;  // the pointer has rested near hoverPoint_ since
    POINTL hoverPoint_{-100, -100};
    POINTL dragPoint_{-100, -100};  // where the pointer was last seen
    TTimer dragStepTimer_;

    void ExpandAllSlice();
    bool OpensInExpandAll(TTreeNode* node) const;
    QTimer expandAllTimer_;
    std::deque<TTreeNode*> expandAllQueue_;
    dev_t expandAllDevice_ = 0;
    int expandAllCount_ = 0;
    int expandAllCap_ = kExpandAllCap;
};

// The folder tree as the form shows it; adds nothing to the custom tree.
class TRzShellTree : public TRzCustomShellTree {
  public:
    using TRzCustomShellTree::TRzCustomShellTree;
};
