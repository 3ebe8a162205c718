#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/ChangeHandlerThread.h"
#include "shell/ListDates.h"
#include "shell/ListPhotos.h"
#include "shell/QtDropBridge.h"
#include "shell/RzListView.h"
#include "shell/ShellDrag.h"
#include "shell/ShellDropTarget.h"
#include "shell/ShellLinks.h"
#include "shell/ShellListData.h"
#include "shell/ShellLocator.h"
#include "shell/TakenDates.h"

class QMenu;
class TRzDeviceChangeHandler;

// Members of the list's option set; bit n of the stored word is member n.
enum TRzShellListOption : unsigned {
    sloAutoFill,
    sloNonFilesystemAncestors,
    sloDesignInteractive,  // for a form designer; none runs here, so it is only stored
    sloDefaultKeyHandling,
    sloContextMenus,
    sloDontChangeFolder,
    sloDontGoBelowBase,
    sloDynamicRefresh,
    sloHideFoldersWhenLinkedToTree,
    sloOleDrag,
    sloOleDrop,
    sloFolderContextMenu,
    sloShowHidden,
    sloFilesCanBeFolders,
};
using TRzShellListOptions = std::uint16_t;
constexpr TRzShellListOptions kDefaultShellListOptions = 0x3E9B;

constexpr TRzShellListOptions OptionBit(TRzShellListOption option) {
    return static_cast<TRzShellListOptions>(1u << option);
}

// The file list: the items of one shell folder in the four view styles, with
// detail columns and sorting in report view. It follows a linked folder tree
// (and moves the tree when it opens a folder itself), and keeps itself
// current: a change in the folder starts a refresh 400 ms (focused) or
// 2000 ms later, and the refresh touches only the items that came or went.
//
// Drag and drop: the selection can be dragged out (sloOleDrag) with the left or
// the right button; whatever is dragged over the list (sloOleDrop) is offered
// to the drop target of the item under the pointer, or over empty space to the
// shown folder's, and the list refreshes after a drop. The list never reads
// dropped data itself.
//
// Failures: a folder that cannot be bound raises EShellError; an enumeration
// the folder cannot give (a vanished folder, a drive without a medium) ends
// the fill with EAbort, the views saying why; a folder the person may not
// read is also reported through the prompts in force. Message and timer handlers show what they
// catch in the application's exception box (EAbort silently).
class TRzCustomShellList : public TRzCustomListView, public IShellListLink, public IDropSite {
  public:
    static constexpr std::uint32_t kChangeMessage = WM_USER + 101;        // 1125
    static constexpr std::uint32_t kDeferredFillMessage = WM_USER + 103;  // 1127
    static constexpr std::uint32_t kUnreadableMessage = WM_USER + 104;    // 1128
    static constexpr std::uintptr_t kRefreshTimer = 1;

    explicit TRzCustomShellList(TComponent* owner);
    ~TRzCustomShellList() override;

    // ----- published
    TRzShellLocator& Folder() { return folder_; }
    void SetFolder(TRzShellLocator* place) { folder_.Assign(place); }
    const std::string& FileFilter() const { return fileFilter_; }
    void SetFileFilter(const std::string& filter);
    TRzShellListOptions Options() const { return options_; }
    void SetOptions(TRzShellListOptions options);
    bool HasOption(TRzShellListOption option) const { return options_ & OptionBit(option); }
    void SetViewStyle(TViewStyle style) override;

    int SortColumn() const { return sortColumn_; }
    void SetSortColumn(int column);

    // ----- the date-taken column (TakenDates.h)
    // Installs the source of the "Date taken" column, which folders with a
    // path then show after their own columns; null takes it away. Takes
    // effect at the next fill.
    void SetTakenDates(std::shared_ptr<ITakenDates> dates) { takenDates_ = std::move(dates); }
    // The column's index; -1 while it is not shown.
    int TakenColumn() const { return takenColumn_; }
    // Reads every date of the shown folder again, the shown ones kept until
    // then: the files or the options they are read with changed.
    void RereadTakenDates();
    int DatesPendingForTest() const { return dates_.PendingCount(); }

    // ----- items
    // The record of item `index`; Exception "Invalid class typecast" for an
    // item without one.
    TRzShellListData* ShellListData(int index) const;
    void FillList();
    void RefreshItems();
    // ----- commands
    // Opens item `index`: a folder, or a shortcut to one, is shown (through
    // the linked tree when there is one); anything else goes to
    // OnDblClickOpen and then to its default command.
    void OpenItem(int index);
    // Enter and a double click: one item is opened, several get the default
    // command of their common menu once.
    void OpenSelected();
    // Shows the parent folder (Backspace); nothing at the desktop.
    void GoUp();
    void SelectAll();
    // Runs a context-menu verb ("copy", "cut", "delete", ...) on the selection.
    void ExecuteVerb(const std::string& verb);
    // Pastes the clipboard's files into the shown folder.
    void Paste();

    // ----- state the records and the other commands use
    IShellFolder* FolderObject() const { return folderObject_.Get(); }
    LPCITEMIDLIST FolderIdList() const { return folderIdList_; }
    const std::string& FolderPath() const { return folderPath_; }
    IShellDetails* Details();
    IShellTreeLink* LinkedTree() const { return linkedTree_; }
    bool HandleAllocated() const { return handleAllocated_; }
    // The window goes (items cleared, widths saved, watch stopped) and comes
    // back empty, to refill from the deferred-fill message.
    void RecreateWndForTest();
    // An outgoing drag: fills and refreshes wait until it ends; a completed
    // drop refreshes, and so does a refresh that waited.
    void BeginOutgoingDrag() { busy_ = true; }
    void EndOutgoingDrag(bool dropped);
    // Drags the selected items that have records out of the list with `button`
    // (0 left, 1 right) through the drag loop; nothing without sloOleDrag or
    // without such items.
    void StartOutgoingDrag(int button);
    // The drag loop outgoing drags run (Qt's by default; tests put their own).
    void SetDragLoopForTest(TDragLoop loop) { dragLoop_ = std::move(loop); }
    bool OwnDragRunningForTest() const { return ownDrag_; }
    bool DropTargetRegisteredForTest() const { return dropBridge_.Registered(); }
    bool RefreshPendingForTest() const { return refreshPending_; }
    int PhotosPendingForTest() const { return photos_.PendingCount(); }

    // ----- IShellListLink
    TComponent* LinkComponent() override { return this; }
    void SetLinkedTree(IShellTreeLink* tree) override;
    void AssignFolder(TRzShellLocator* place) override { SetFolder(place); }
    void SetFolderIdList(LPCITEMIDLIST absolute) override { folder_.SetIdList(absolute); }
    void FlushPendingAction() override;
    bool HidesFolders() const override { return HasOption(sloHideFoldersWhenLinkedToTree); }
    bool IsLoading() const override { return Loading(); }

    // ----- IDropSite: a drag over the list (points in list coordinates)
    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    // ----- events
    std::function<void(TObject* sender, IShellFolder* parent, LPCITEMIDLIST parentAbsIdList,
                       LPCITEMIDLIST itemRelIdList, ULONG attribs, bool& allowAdd)>
        OnAddItem;
    std::function<void(TObject* sender, bool& handled)> OnDblClickOpen;
    std::function<void(TObject* sender, TListItem& node, TRzShellListData* listData)> OnDeleteItem;
    TNotifyEvent OnFillStart;
    TNotifyEvent OnFillComplete;
    TNotifyEvent OnFolderChanged;
    std::function<void(TObject* sender, const std::string& hint)> OnPopupHint;
    std::function<void(TObject* sender, TListItem* item, TPoint& pos, QMenu*& menu)>
        OnItemContextMenu;
    // Commands of the owner that the items' context menu offers after the
    // shell's entries, asked for each time the menu opens over a selection;
    // the chosen one runs once the menu has closed.
    struct TMenuCommand {
        std::string Caption;
        std::function<void()> Run;
    };
    std::function<void(TObject* sender, std::vector<TMenuCommand>& commands)> OnMenuCommands;

  protected:
    // -- Life, fill and refresh.
    // The item filter's last step: the masks, then OnAddItem.
    virtual bool ItemAccept(IShellFolder* folder, LPCITEMIDLIST idList, LPCITEMIDLIST item,
                            ULONG attributes);
    virtual void DeviceChange(TRzDeviceChangeHandler* sender, TMessage& message);
    // The fill body.
    virtual void Enumerate(IShellFolder* folder, LPCITEMIDLIST folderIdList);
    virtual void PrepareMasks();
    virtual bool NameMatch(const std::string& name) const;
    virtual void ReleaseMasks() { maskSet_.reset(); }
    virtual void FillComplete();
    virtual void FillStart();
    virtual void FolderChanged();
    virtual void StartWatch();

    void InsertItem(TListItem& item) override;
    void DeleteItem(TListItem& item) override;
    std::string ItemCaption(TListItem& item) override;
    std::string ItemDetailText(TListItem& item, int column) override;
    TCellNote ItemDetailNote(TListItem& item, int column) override;
    int ItemImage(TListItem& item) override;
    QPixmap ItemPhoto(TListItem& item) override;
    void ColumnClick(int column) override;
    void WndProc(TMessage& message) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // -- Commands and keys.
    // Returns whether the default action should run.
    virtual bool DblClickOpen();
    void ItemOpen(int index) override;
    std::string ItemEditText(TListItem& item) override;
    bool ItemEdited(TListItem& item, std::string& caption) override;
    bool CanEditLabel(TListItem& item) override;
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers) override;
    void ItemContextMenu(TListItem* item, QPoint point) override;

    // -- Drag and drop.
    void BeginItemDrag(int button) override;

  private:
    struct PendingInsert {
        TRzShellListData* record = nullptr;
        ULONG attributes = 0;
        IShellDetails* details = nullptr;
    };

    // -- Life, fill and refresh.
    void CreateWnd();
    void DestroyWnd();
    DWORD EnumFlags() const;
    void EnumerateInto(IShellFolder* folder, LPCITEMIDLIST folderIdList);
    // A folder that cannot be listed says why in the views; one the person
    // may not read also says so in the program's box, once the fill is over
    // (so the box never runs inside a fill, and two fills report it once).
    void ShowUnreadable(HRESULT hr);
    void ReportUnreadable();
    // Whether one of the filter's masks matches the file name.
    bool MatchesAnyMask(const std::string& name) const;
    // Steps 1-3 of the item filter, then ItemAccept; `attributes` receives
    // what the attribute query left.
    bool AcceptsItem(IShellFolder* folder, LPCITEMIDLIST idList, LPCITEMIDLIST item,
                     ULONG& attributes);
    void Insert(std::unique_ptr<TRzShellListData> record, ULONG attributes);
    // The overlay and dimming the attributes give a row.
    static void ShowAttributes(TListItem& item, ULONG attributes);
    void Renew(int row, LPCITEMIDLIST item);
    // The shown folder's items now: none when it cannot be enumerated, those
    // read before a failure when the read stops early.
    std::vector<TOwnedIdList> EnumerateFresh() const;
    void BuildColumns();
    // The file behind the row for a picture of its own; none for a row that
    // is no picture file.
    std::optional<TListPhotos::TFile> PhotoFileOf(const TListItem& item) const;
    // In large icons, every picture of the folder is queued behind the shown
    // ones; in the other styles, none is.
    void QueueFolderPhotos();
    // The on-disk names of the rows that are files.
    std::vector<std::string> FileNames() const;
    // The date of the row's file: known, or asked for (null meanwhile).
    const TTakenDate* TakenDateOf(const TListItem& item);
    // The dates of the shown folder as its names are now read: all dates
    // start over when the folder is new or its names are read otherwise now
    // (`always`: in any case, the shown ones kept until read again).
    void ReadTakenDates(bool always);
    // In report view the dates of `names` are queued behind the shown ones.
    void QueueTakenDates(bool again, const std::vector<std::string>& names);
    void TakenDatesArrived();
    // Rows with a date first, by date; rows without after them either way.
    void SortByTakenDate(int direction);
    void Sort();
    void SaveWidthsIfMarked();
    void StopWatch();
    void ChangeSeen();
    void RefreshTimerExpired();
    // Lets the linked tree carry out its pending action first; true when that
    // moved Folder, a change the raised re-entry count kept from being shown.
    bool TreeFlushMovedFolder();
    void FolderChangeStep();
    void DeviceChangeMessage(TRzDeviceChangeHandler* sender, TMessage& message) {
        DeviceChange(sender, message);
    }

    // -- Commands and keys.
    void RunPendingRefreshes();
    // Empties the list and shows the folder at `absolute` (a copy is taken).
    void GoInto(LPCITEMIDLIST absolute);
    bool OpenLinkedFolder(const std::string& linkFile);
    std::vector<LPCITEMIDLIST> SelectedRelIdLists() const;
    // The menu of `items` of the shown folder; null when it cannot be had.
    ComPtr<IContextMenu> ItemsMenu(const std::vector<LPCITEMIDLIST>& items) const;
    void RunDefaultCommand(const std::vector<LPCITEMIDLIST>& items);
    void ShowShellMenu(TListItem* focused, QPoint point);
    void RunMenuCommand(IContextMenu* menu, UINT id, bool isDefault, TListItem* focused);
    // Tells OnPopupHint the help text of menu entry `id` (empty for none).
    void PopupHint(IContextMenu* menu, UINT id);

    // -- Drag and drop.
    // The drop target a point offers: the item's own, else the shown
    // folder's; none over empty space during the list's own drag.
    struct DropChoice {
        ComPtr<IDropTarget> target;
        int item = -1;  // the item whose target it is
    };
    DropChoice ChooseDropTarget(POINTL point);
    bool OverOwnEmptySpace(const DropChoice& choice) const { return ownDrag_ && choice.item < 0; }
    ComPtr<IDropTarget> FolderDropTarget() const;
    void SyncDropTarget();

    TRzShellLocator folder_;
    std::string fileFilter_;
    std::vector<std::string> masks_;
    std::unique_ptr<std::vector<std::string>> maskSet_;
    TRzShellListOptions options_ = kDefaultShellListOptions;

    ComPtr<IShellFolder> folderObject_;
    LPITEMIDLIST folderIdList_ = nullptr;
    std::string folderPath_;
    ComPtr<IShellDetails> details_;
    bool detailsFetched_ = false;
    bool widthsSavable_ = false;

    IShellTreeLink* linkedTree_ = nullptr;
    int sortColumn_ = 1;
    bool sortSetByCode_ = false;
    int reentry_ = 0;
    bool skipNextChange_ = false;
    bool busy_ = false;
    bool refreshPending_ = false;
    bool handleAllocated_ = false;
    std::string unreadableReport_;  // the failure still to report
    std::string lastUnreadable_;    // the last failure reported, until a fill succeeds
    PendingInsert pendingInsert_;
    std::unique_ptr<TChangeHandlerThread> watcher_;
    TListPhotos photos_;
    std::shared_ptr<ITakenDates> takenDates_;
    TListDates dates_;
    int takenColumn_ = -1;

    bool ownDrag_ = false;
    TDragLoop dragLoop_;
    THeldDrag heldDrag_;  // of the drag over the list
    TQtDropBridge dropBridge_;
};

// The published face of the list; the form description sets it up.
class TRzShellList : public TRzCustomShellList {
  public:
    using TRzCustomShellList::TRzCustomShellList;
};
