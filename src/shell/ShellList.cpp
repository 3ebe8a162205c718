#include "shell/ShellList.h"

#include <sys/stat.h>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QListView>
#include <QTreeView>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <utility>

#include "framework/Application.h"
#include "framework/Cursor.h"
#include "framework/ScopeExit.h"
#include "platform/DeviceChanges.h"
#include "platform/FolderScan.h"
#include "platform/PromptsInForce.h"
#include "platform/ShellItemInfo.h"
#include "platform/ShellItems.h"
#include "shell/DeviceChangeHandler.h"
#include "shell/DisplayNames.h"
#include "shell/DriveValidation.h"
#include "shell/FolderItemOrder.h"
#include "shell/FolderRefresh.h"
#include "shell/ListItemModel.h"
#include "shell/ShellEnv.h"
#include "shell/ShellError.h"
#include "shell/ShellListDetails.h"
#include "shell/ShellPaths.h"
#include "shell/SystemImages.h"

namespace {

constexpr ULONG kAcceptRequest = 0x720B0000;
constexpr HRESULT kNoMoreItems = static_cast<HRESULT>(0x80070103);
constexpr DWORD kWatchFilter = 3;  // file and folder names
constexpr int kCollectCapacity = 500;

std::string UpperAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string AfterLastSlash(const std::string& text) {
    return text.substr(text.rfind('/') + 1);
}

// The column of dates taken: wide enough for a marked date with seconds.
constexpr int kTakenColumnWidth = 150;
// The arrow that marks a date still to be written.
constexpr const char* kToBeWrittenMark = "\u2192 ";

// The list's texts (marked in context TRzShellList), in the program's language.
QString ListText(const char* text) {
    return QCoreApplication::translate("TRzShellList", text);
}

// What names one state of a file for its picture: a rewrite changes its size
// or time, or both.
long long PhotoStamp(const EntryFacts& facts) {
    return static_cast<long long>(static_cast<std::uint64_t>(facts.ModifiedNs) ^
                                  (facts.Size * 0x9E3779B97F4A7C15ULL));
}

}  // namespace

// ------------------------------------------------------------- life

TRzCustomShellList::TRzCustomShellList(TComponent* owner)
    : TRzCustomListView(owner),
      photos_(kLargeIconPixels,
              [this] {
                  if (ViewStyle() == vsIcon)
                      IconView()->viewport()->update();
              }),
      dates_([this] { TakenDatesArrived(); }),
      dropBridge_(Widget(), {IconView()->viewport(), ReportView()->viewport()}) {
    dragLoop_ = [this](QMimeData* mime, DWORD allowed, int button) {
        return RunQtDragLoop(ActiveView()->viewport(), mime, allowed, button);
    };
    folder_.OnChange = [this] { FolderChangeStep(); };
    SetSmallImages(GetSystemImageList(0));
    SetLargeImages(GetSystemImageList(1));
    SetAutoArrange(true);
    SetAllocBy(256);
    TRzDeviceChangeHandler::Get()->Subscribe({this, &TRzCustomShellList::DeviceChangeMessage});
    CreateWnd();
}

TRzCustomShellList::~TRzCustomShellList() {
    MarkDestroying();
    TRzDeviceChangeHandler::Get()->Unsubscribe({this, &TRzCustomShellList::DeviceChangeMessage});
    DestroyWnd();
    folder_.OnChange = nullptr;
    FreeIdList(folderIdList_);
}

void TRzCustomShellList::CreateWnd() {
    handleAllocated_ = true;
    SyncDropTarget();
    if (HasOption(sloAutoFill) && ItemCount() == 0)
        PostMessage(Handle(), kDeferredFillMessage);
}

void TRzCustomShellList::DestroyWnd() {
    if (!handleAllocated_)
        return;
    SaveWidthsIfMarked();
    watcher_.reset();
    dropBridge_.Revoke();
    DragLeave();
    Window().KillTimer(kRefreshTimer);
    ClearSelection();
    BeginUpdate();
    ClearItems();
    EndUpdate();
    handleAllocated_ = false;
}

void TRzCustomShellList::RecreateWndForTest() {
    DestroyWnd();
    CreateWnd();
}

void TRzCustomShellList::Loaded() {
    TRzCustomListView::Loaded();
    if (handleAllocated_)
        SyncDropTarget();
    if (HasOption(sloAutoFill) && ItemCount() == 0)
        PostMessage(Handle(), kDeferredFillMessage);
}

void TRzCustomShellList::Notification(TComponent* component, TOperation operation) {
    TRzCustomListView::Notification(component, operation);
    if (operation == opRemove && linkedTree_ != nullptr &&
        component == linkedTree_->LinkComponent())
        linkedTree_ = nullptr;
}

// ------------------------------------------------------------- properties

void TRzCustomShellList::SetFileFilter(const std::string& filter) {
    if (filter == fileFilter_)
        return;
    fileFilter_ = filter;
    masks_.clear();
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t end = filter.find(';', start);
        if (end == std::string::npos)
            end = filter.size();
        if (end > start)
            masks_.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    if (!Loading() && HasOption(sloAutoFill))
        FillList();
}

void TRzCustomShellList::SetOptions(TRzShellListOptions options) {
    const TRzShellListOptions changed = options ^ options_;
    options_ = options;
    if (Loading() || !handleAllocated_ || changed == 0)
        return;
    if (changed & OptionBit(sloOleDrop))
        SyncDropTarget();
    if (changed & OptionBit(sloDynamicRefresh)) {
        if (HasOption(sloDynamicRefresh))
            StartWatch();
        else
            StopWatch();
    }
    if (changed & (OptionBit(sloHideFoldersWhenLinkedToTree) | OptionBit(sloShowHidden)))
        RefreshItems();
}

void TRzCustomShellList::SetViewStyle(TViewStyle style) {
    if (style == ViewStyle())
        return;
    TRzCustomListView::SetViewStyle(style);
    QueueFolderPhotos();
    if (style == vsReport)
        QueueTakenDates(false, FileNames());
    dropBridge_.Reaccept();
    if (style == vsReport)
        ApplyHeaderSortIndicator();
}

TRzShellListData* TRzCustomShellList::ShellListData(int index) const {
    auto* record = RecordOf(Item(index).Data);
    if (record == nullptr)
        throw Exception("Invalid class typecast");
    return record;
}

IShellDetails* TRzCustomShellList::Details() {
    if (!detailsFetched_) {
        details_ = FetchShellDetails(folderObject_.Get());
        detailsFetched_ = true;
    }
    return details_.Get();
}

// ------------------------------------------------------------- fill

DWORD TRzCustomShellList::EnumFlags() const {
    return SHCONTF_FOLDERS | SHCONTF_NONFOLDERS |
           (HasOption(sloShowHidden) ? SHCONTF_INCLUDEHIDDEN : 0);
}

void TRzCustomShellList::FillList() {
    if (!handleAllocated_)
        return;
    if (busy_ || IsEditing()) {
        refreshPending_ = true;
        return;
    }
    refreshPending_ = false;
    TCursorScope hourglass(crHourGlass);
    SetEmptyText({});
    photos_.CancelPending();
    dates_.SetFolder(nullptr);
    ClearSelection();
    BeginUpdate();
    ClearItems();
    EndUpdate();
    {
        BeginUpdate();
        ScopeExit done([this] {
            ReleaseMasks();
            EndUpdate();
        });
        ComPtr<IShellFolder> folder;
        CheckShell(BindToFolder(folder_.IdList(), folder));
        PrepareMasks();
        Enumerate(folder.Get(), folder_.IdList());
    }
    ReadTakenDates(false);
    Sort();
    if (ItemCount() > 0)
        SetFocusedIndex(0);
    if (ViewStyle() == vsIcon || ViewStyle() == vsSmallIcon)
        ScrollToTopLeft();
    QueueFolderPhotos();
    if (HasOption(sloDynamicRefresh))
        StartWatch();
}

void TRzCustomShellList::Enumerate(IShellFolder* folder, LPCITEMIDLIST folderIdList) {
    BeginUpdate();
    const UINT errorMode = SetErrorMode(0);
    SetErrorMode(errorMode);
    FillStart();
    SetErrorMode(errorMode | SEM_FAILCRITICALERRORS);
    {
        LPITEMIDLIST oldIdList = folderIdList_;
        ScopeExit done([this, errorMode, oldIdList] {
            EndUpdate();
            SetErrorMode(errorMode);
            FreeIdList(oldIdList);
        });
        EnumerateInto(folder, folderIdList);
    }
    FillComplete();
}

// The fill body's work between its brackets: the folder becomes the shown
// one, the columns are rebuilt, and the accepted items are inserted.
void TRzCustomShellList::EnumerateInto(IShellFolder* folder, LPCITEMIDLIST folderIdList) {
    folderIdList_ = CopyIdList(nullptr, folderIdList);
    folderPath_ = IdListToPath(folderIdList_);
    folderObject_ = ComPtr<IShellFolder>::Share(folder);
    details_.Reset();
    detailsFetched_ = false;
    BuildColumns();

    ComPtr<IEnumIDList> enumerator;
    const HRESULT listed = folder->EnumObjects(0, EnumFlags(), enumerator.Put());
    if (FAILED(listed) || !enumerator) {
        ShowUnreadable(FAILED(listed) ? listed : E_FAIL);
        throw EAbort();
    }
    lastUnreadable_.clear();
    std::vector<std::unique_ptr<TRzShellListData>> records;
    records.reserve(kCollectCapacity);
    LPITEMIDLIST item = nullptr;
    HRESULT last;
    while ((last = enumerator->Next(1, &item, nullptr)) == S_OK)
        records.push_back(std::make_unique<TRzShellListData>(this, item));
    enumerator.Reset();
    if (last == E_FAIL)
        throw EAbort();
    if (last != S_FALSE && last != kNoMoreItems)
        throw EShellError(last);

    SetAllocBy(static_cast<int>(records.size()));
    for (auto& record : records) {
        ULONG attributes = 0;
        if (AcceptsItem(folder, folderIdList, record->RelIdList(), attributes))
            Insert(std::move(record), attributes);
    }
}

void TRzCustomShellList::ShowUnreadable(HRESULT hr) {
    const QString reason = QString::fromStdString(SysErrorMessage(hr));
    SetEmptyText(QCoreApplication::translate("ShellList", "This folder cannot be read: %1.")
                     .arg(reason)
                     .toStdString());
    // A folder gone, or a drive without its medium, still fails quietly.
    if (hr != HResultFromErrno(EACCES) && hr != HResultFromErrno(EPERM))
        return;
    std::string report = QCoreApplication::translate("ShellList", "Cannot open \"%1\": %2.")
                             .arg(QString::fromStdString(folderPath_), reason)
                             .toStdString();
    // A refill that fails as the last one did was told already.
    if (report == lastUnreadable_)
        return;
    if (unreadableReport_.empty())
        PostMessage(Handle(), kUnreadableMessage);
    unreadableReport_ = report;
    lastUnreadable_ = std::move(report);
}

void TRzCustomShellList::ReportUnreadable() {
    const std::string report = std::exchange(unreadableReport_, {});
    if (!report.empty())
        ShellPrompts().ReportError(report);
}

bool TRzCustomShellList::AcceptsItem(IShellFolder* folder, LPCITEMIDLIST idList, LPCITEMIDLIST item,
                                     ULONG& attributes) {
    attributes = kAcceptRequest;
    folder->GetAttributesOf(1, &item, &attributes);
    if (!HasOption(sloNonFilesystemAncestors) &&
        !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
        return false;
    constexpr ULONG kFileSystemFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    if (HasOption(sloHideFoldersWhenLinkedToTree) && linkedTree_ != nullptr &&
        (attributes & kFileSystemFolder) == kFileSystemFolder)
        return false;
    return ItemAccept(folder, idList, item, attributes);
}

bool TRzCustomShellList::ItemAccept(IShellFolder* folder, LPCITEMIDLIST idList, LPCITEMIDLIST item,
                                    ULONG attributes) {
    bool allow = true;
    if (maskSet_ && !CountsAsFolder(attributes, HasOption(sloFilesCanBeFolders)))
        allow = NameMatch(AfterLastSlash(GetDisplayName(folder, item, nkForParsing)));
    if (allow && OnAddItem)
        OnAddItem(this, folder, idList, item, attributes, allow);
    return allow;
}

void TRzCustomShellList::Insert(std::unique_ptr<TRzShellListData> record, ULONG attributes) {
    pendingInsert_ = {record.release(), attributes, details_.Get()};
    AddItem();
}

void TRzCustomShellList::InsertItem(TListItem& item) {
    if (pendingInsert_.record == nullptr)
        return;
    item.Data = pendingInsert_.record;
    ShowAttributes(item, pendingInsert_.attributes);
    item.SubItemCount = pendingInsert_.details != nullptr ? ColumnCount() - 1 : 3;
    pendingInsert_ = {};
}

void TRzCustomShellList::ShowAttributes(TListItem& item, ULONG attributes) {
    item.OverlayIndex = attributes & SFGAO_SHARE ? 0 : attributes & SFGAO_LINK ? 1 : -1;
    item.Cut = attributes & SFGAO_HIDDEN;
}

// The row's item was replaced under its name: it keeps its place, state and
// selection, and shows the new item's size, time and look.
void TRzCustomShellList::Renew(int row, LPCITEMIDLIST item) {
    TListItem& shown = Item(row);
    TRzShellListData* record = RecordOf(shown.Data);
    if (KindOf(item) == ItemKind::Entry)
        dates_.Forget(std::string(EntryFactsOf(item).Name));
    record->ReplaceRelIdList(CopyIdList(nullptr, item));
    shown.Caption.clear();
    ULONG attributes = kAcceptRequest;
    folderObject_->GetAttributesOf(1, &item, &attributes);
    ShowAttributes(shown, attributes);
    Model()->RowChanged(row);
}

void TRzCustomShellList::DeleteItem(TListItem& item) {
    auto* record = RecordOf(item.Data);
    if (record == nullptr)
        return;
    if (OnDeleteItem && !Destroying())
        OnDeleteItem(this, item, record);
    item.Data = nullptr;
    delete record;
}

// ------------------------------------------------------------- masks

void TRzCustomShellList::PrepareMasks() {
    ReleaseMasks();
    const std::string path = folder_.PathName();
    if (path.empty() || fileFilter_.empty() || fileFilter_ == "*" || fileFilter_ == "*.*")
        return;
    // One read of the folder serves every mask; a folder that cannot be read
    // lets no file through.
    std::vector<FolderEntry> entries;
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    ScanFolder(path, entries);
    SetErrorMode(errorMode);
    auto names = std::make_unique<std::vector<std::string>>();
    for (const FolderEntry& entry : entries)
        if (entry.Type != EntryType::Folder && MatchesAnyMask(entry.Name))
            names->push_back(UpperAscii(entry.Name));
    std::sort(names->begin(), names->end());
    maskSet_ = std::move(names);
}

bool TRzCustomShellList::MatchesAnyMask(const std::string& name) const {
    return std::any_of(masks_.begin(), masks_.end(),
                       [&name](const std::string& mask) { return MatchesMask(mask, name); });
}

bool TRzCustomShellList::NameMatch(const std::string& name) const {
    return maskSet_ && std::binary_search(maskSet_->begin(), maskSet_->end(), UpperAscii(name));
}

// ------------------------------------------------------------- display

std::string TRzCustomShellList::ItemCaption(TListItem& item) {
    if (item.Caption.empty())
        if (auto* record = RecordOf(item.Data))
            item.Caption = record->DisplayName();
    return item.Caption;
}

std::string TRzCustomShellList::ItemDetailText(TListItem& item, int column) {
    if (column > item.SubItemCount)
        return {};
    if (column == takenColumn_) {
        const TTakenDate* date = TakenDateOf(item);
        if (date == nullptr || date->kind == TTakenKind::None)
            return {};
        return date->kind == TTakenKind::ToBeWritten ? kToBeWrittenMark + date->moment
                                                     : date->moment;
    }
    if (column <= static_cast<int>(item.SubItems.size()) && !item.SubItems[column - 1].empty())
        return item.SubItems[column - 1];
    auto* record = RecordOf(item.Data);
    if (record == nullptr)
        return {};
    if (const std::string* cached = record->CachedDetail(column))
        return *cached;
    if (IShellDetails* details = Details()) {
        record->CacheDetail(column, DetailsText(details, record->RelIdList(), column));
    } else {
        ULONG attributes = kAcceptRequest;
        LPCITEMIDLIST relative = record->RelIdList();
        folderObject_->GetAttributesOf(1, &relative, &attributes);
        FillBuiltInDetails(*record, attributes);
    }
    const std::string* cached = record->CachedDetail(column);
    return cached != nullptr ? *cached : std::string();
}

int TRzCustomShellList::ItemImage(TListItem& item) {
    if (item.ImageIndex < 1)
        if (auto* record = RecordOf(item.Data))
            return record->IconIndex();
    return item.ImageIndex;
}

TCellNote TRzCustomShellList::ItemDetailNote(TListItem& item, int column) {
    if (column != takenColumn_ || column > item.SubItemCount)
        return {};
    const TTakenDate* date = TakenDateOf(item);
    switch (date != nullptr ? date->kind : TTakenKind::None) {
        case TTakenKind::Carried:
            return {false,
                    {},
                    ListText(QT_TRANSLATE_NOOP("TRzShellList", "Date taken, carried by the file"))
                        .toStdString()};
        case TTakenKind::ToBeWritten: {
            const QString command = QCoreApplication::translate("TForm1", "Добавить EXIF");
            const std::string tip =
                ListText(QT_TRANSLATE_NOOP("TRzShellList", "will be written by %1"))
                    .arg(command)
                    .toStdString();
            return {true, tip,
                    ListText(QT_TRANSLATE_NOOP("TRzShellList", "Date taken, to be written by %1"))
                        .arg(command)
                        .toStdString()};
        }
        case TTakenKind::None:
            break;
    }
    return {
        false,
        {},
        (date != nullptr ? ListText(QT_TRANSLATE_NOOP("TRzShellList", "No date taken"))
                         : ListText(QT_TRANSLATE_NOOP("TRzShellList", "Date taken not read yet")))
            .toStdString()};
}

const TTakenDate* TRzCustomShellList::TakenDateOf(const TListItem& item) {
    const TRzShellListData* record = RecordOf(item.Data);
    if (record == nullptr || KindOf(record->RelIdList()) != ItemKind::Entry)
        return nullptr;
    return dates_.Date(std::string(EntryFactsOf(record->RelIdList()).Name));
}

std::vector<std::string> TRzCustomShellList::FileNames() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(ItemCount()));
    for (int i = 0; i < ItemCount(); ++i) {
        const TRzShellListData* record = RecordOf(Item(i).Data);
        if (record == nullptr || KindOf(record->RelIdList()) != ItemKind::Entry)
            continue;
        const EntryFacts facts = EntryFactsOf(record->RelIdList());
        if (S_ISREG(facts.Mode) || S_ISLNK(facts.Mode))
            names.emplace_back(facts.Name);
    }
    return names;
}

void TRzCustomShellList::ReadTakenDates(bool always) {
    if (takenColumn_ < 0)
        return dates_.SetFolder(nullptr);
    std::vector<std::string> names = FileNames();
    std::shared_ptr<const ITakenDatesFolder> folder = takenDates_->Folder(folderPath_, names);
    const ITakenDatesFolder* shown = dates_.Folder();
    if (always || shown == nullptr || !folder->ReadsAs(*shown))
        dates_.SetFolder(std::move(folder), always);
    QueueTakenDates(always, names);
}

void TRzCustomShellList::RereadTakenDates() {
    ReadTakenDates(true);
}

void TRzCustomShellList::QueueTakenDates(bool again, const std::vector<std::string>& names) {
    if (takenColumn_ >= 0 && ViewStyle() == vsReport)
        dates_.RequestInBackground(names, again);
}

void TRzCustomShellList::TakenDatesArrived() {
    if (takenColumn_ < 0)
        return;
    Model()->ColumnChanged(takenColumn_);
    if (std::abs(sortColumn_) - 1 == takenColumn_ && dates_.PendingCount() == 0)
        Sort();
}

void TRzCustomShellList::SortByTakenDate(int direction) {
    // Each row's date once, not once per compare.
    std::vector<const TTakenDate*> dates(static_cast<std::size_t>(ItemCount()));
    for (int i = 0; i < ItemCount(); ++i) {
        const TRzShellListData* record = RecordOf(Item(i).Data);
        if (record != nullptr && KindOf(record->RelIdList()) == ItemKind::Entry)
            dates[i] = dates_.Known(std::string(EntryFactsOf(record->RelIdList()).Name));
        if (dates[i] != nullptr && dates[i]->kind == TTakenKind::None)
            dates[i] = nullptr;
    }
    SortItems([&](int a, int b) {
        if (dates[a] == nullptr || dates[b] == nullptr)
            return dates[a] != nullptr && dates[b] == nullptr;
        return dates[a]->moment.compare(dates[b]->moment) * direction < 0;
    });
}

QPixmap TRzCustomShellList::ItemPhoto(TListItem& item) {
    std::optional<TListPhotos::TFile> file = PhotoFileOf(item);
    return file ? photos_.Picture(*file) : QPixmap();
}

std::optional<TListPhotos::TFile> TRzCustomShellList::PhotoFileOf(const TListItem& item) const {
    const TRzShellListData* record = RecordOf(item.Data);
    if (record == nullptr || folderPath_.empty() || KindOf(record->RelIdList()) != ItemKind::Entry)
        return std::nullopt;
    const EntryFacts facts = EntryFactsOf(record->RelIdList());
    if (!(S_ISREG(facts.Mode) || S_ISLNK(facts.Mode)) || !TListPhotos::IsPictureName(facts.Name))
        return std::nullopt;
    return TListPhotos::TFile{ItemPath(folderPath_, record->RelIdList()), PhotoStamp(facts)};
}

void TRzCustomShellList::QueueFolderPhotos() {
    photos_.CancelPending();
    if (ViewStyle() != vsIcon)
        return;
    std::vector<TListPhotos::TFile> files;
    for (int i = 0; i < ItemCount(); ++i)
        if (std::optional<TListPhotos::TFile> file = PhotoFileOf(Item(i)))
            files.push_back(std::move(*file));
    photos_.RequestInBackground(files);
}

// ------------------------------------------------------------- columns and sorting

void TRzCustomShellList::SaveWidthsIfMarked() {
    if (ColumnCount() > 0 && widthsSavable_)
        SaveColumnWidths(*this);
}

void TRzCustomShellList::BuildColumns() {
    SaveWidthsIfMarked();
    takenColumn_ = -1;
    if (IShellDetails* details = Details()) {
        std::vector<TListColumn> extra;
        if (takenDates_ && !folderPath_.empty())
            extra.push_back(
                {ListText(QT_TRANSLATE_NOOP("TRzShellList", "Date taken")).toStdString(),
                 kTakenColumnWidth, caLeft});
        widthsSavable_ = BuildDetailsColumns(*this, details, folderPath_, extra);
        if (!extra.empty())
            takenColumn_ = ColumnCount() - 1;
    } else {
        BuildBuiltInColumns(*this);
        widthsSavable_ = true;
    }
    ApplyHeaderSortIndicator();
    // A descending column counts by its number too.
    const int column = std::abs(sortColumn_);
    SetSortColumn(ColumnCount() < column ? 1 : sortColumn_);
}

void TRzCustomShellList::SetSortColumn(int column) {
    SetHeaderSortState(std::abs(column) - 1, column >= 0);
    sortSetByCode_ = true;
    if (column != sortColumn_) {
        sortColumn_ = column;
        Sort();
    }
}

void TRzCustomShellList::Sort() {
    if (sortColumn_ == 0 || !folderObject_)
        return;
    const int direction = sortColumn_ < 0 ? -1 : 1;
    if (std::abs(sortColumn_) - 1 == takenColumn_)
        return SortByTakenDate(direction);
    // Each row's record once, not once per compare.
    std::vector<LPCITEMIDLIST> items(ItemCount());
    for (int i = 0; i < ItemCount(); ++i) {
        TRzShellListData* record = RecordOf(Item(i).Data);
        items[i] = record != nullptr ? record->RelIdList() : nullptr;
    }
    const TFolderItemOrder order(folderObject_.Get(), std::abs(sortColumn_) - 1, std::move(items));
    SortItems([&](int a, int b) { return order.Compare(a, b) * direction < 0; });
}

void TRzCustomShellList::ColumnClick(int column) {
    sortSetByCode_ = false;
    TRzCustomListView::ColumnClick(column);
    if (sortSetByCode_)
        return;
    SetSortColumn(column + 1 != sortColumn_ ? column + 1 : -sortColumn_);
}

// ------------------------------------------------------------- refresh

void TRzCustomShellList::RefreshItems() {
    if (busy_ || IsEditing()) {
        refreshPending_ = true;
        return;
    }
    if (ItemCount() == 0 || !folderObject_)
        return FillList();
    refreshPending_ = false;
    TCursorScope hourglass(crHourGlass);
    FillStart();
    PrepareMasks();

    std::vector<int> rows;  // of the items with records, as `shown` lists them
    std::vector<LPCITEMIDLIST> shown;
    for (int i = 0; i < ItemCount(); ++i) {
        if (auto* record = RecordOf(Item(i).Data)) {
            rows.push_back(i);
            shown.push_back(record->RelIdList());
        }
    }
    const std::vector<TOwnedIdList> fresh = EnumerateFresh();
    const TFreshMatch match = MatchFresh(folderObject_.Get(), shown, fresh);

    {
        BeginUpdate();
        ScopeExit done([this] {
            ReleaseMasks();
            EndUpdate();
        });
        // Renewed first: deleting rows moves the rows after them.
        for (auto [renewed, item] : match.Renewed)
            Renew(rows[renewed], fresh[item].get());
        std::vector<int> vanished;
        for (int gone : match.Gone)
            vanished.push_back(rows[gone]);
        DeleteItems(std::move(vanished));
        SetAllocBy(static_cast<int>(match.New.size()));
        // The fresh lists stay owned here until the refresh ends, so nothing
        // is lost when the filter or OnAddItem raises; records take copies.
        for (int added : match.New) {
            LPCITEMIDLIST item = fresh[added].get();
            TOwnedIdList absolute(ConcatIdLists(nullptr, folderIdList_, item));
            ULONG attributes = 0;
            if (AcceptsItem(folderObject_.Get(), absolute.get(), item, attributes))
                Insert(std::make_unique<TRzShellListData>(this, CopyIdList(nullptr, item)),
                       attributes);
        }
    }
    if (!match.New.empty() || !match.Gone.empty() || !match.Renewed.empty())
        ReadTakenDates(false);
    FillComplete();
    SetAllocBy(256);
}

std::vector<TOwnedIdList> TRzCustomShellList::EnumerateFresh() const {
    std::vector<TOwnedIdList> fresh;
    fresh.reserve(static_cast<std::size_t>(ItemCount()));
    ComPtr<IEnumIDList> enumerator;
    if (SUCCEEDED(folderObject_->EnumObjects(0, EnumFlags(), enumerator.Put())) && enumerator)
        ReadEnumeration(enumerator.Get(), fresh);
    return fresh;
}

// ------------------------------------------------------------- watching

void TRzCustomShellList::StartWatch() {
    Window().KillTimer(kRefreshTimer);
    if (!watcher_)
        watcher_ = std::make_unique<TChangeHandlerThread>(Handle(), kChangeMessage);
    else
        watcher_->UnwatchAll();
    int slot = 0;
    watcher_->Watch(folderPath_, kWatchFilter, false, slot);
}

void TRzCustomShellList::StopWatch() {
    if (watcher_)
        watcher_->UnwatchAll();
}

void TRzCustomShellList::ChangeSeen() {
    if (const int delay = ChangeDelay(skipNextChange_, busy_, Focused()))
        Window().SetTimer(kRefreshTimer, delay);
}

void TRzCustomShellList::RefreshTimerExpired() {
    Window().KillTimer(kRefreshTimer);
    if (linkedTree_ != nullptr && TreeFlushMovedFolder())
        FolderChangeStep();
    else
        RefreshItems();
}

bool TRzCustomShellList::TreeFlushMovedFolder() {
    TOwnedIdList before(CopyIdList(nullptr, folder_.IdList()));
    ++reentry_;
    ScopeExit lower([this] { --reentry_; });
    linkedTree_->FlushPending(false);
    return CompareIdListBytes(before.get(), folder_.IdList()) != 0;
}

void TRzCustomShellList::FlushPendingAction() {
    if (Window().HasTimer(kRefreshTimer))
        RefreshTimerExpired();
}

void TRzCustomShellList::WndProc(TMessage& message) {
    switch (message.Msg) {
        case kChangeMessage:
            ChangeSeen();
            break;
        case kDeferredFillMessage:
            Application->HandleExceptions([this] {
                if (ItemCount() == 0)
                    FillList();
            });
            break;
        case kUnreadableMessage:
            ReportUnreadable();
            break;
        case WM_TIMER:
            if (message.WParam == kRefreshTimer)
                Application->HandleExceptions([this] { RefreshTimerExpired(); });
            break;
        default:
            TRzCustomListView::WndProc(message);
            break;
    }
}

void TRzCustomShellList::DeviceChange(TRzDeviceChangeHandler*, TMessage& message) {
    if (message.WParam != DBT_DEVICEARRIVAL && message.WParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    Application->HandleExceptions([this] {
        ValidateDrives();
        ++ShellEnv.DrivesValidationSuspendCount;
        ScopeExit resume([] { --ShellEnv.DrivesValidationSuspendCount; });
        if (SpecialFolderOf(folder_.IdList()) == CSIDL_DRIVES)
            FillList();
    });
}

// ------------------------------------------------------------- navigation

void TRzCustomShellList::FolderChangeStep() {
    if (reentry_ >= 1)
        return;
    {
        ++reentry_;
        ScopeExit lower([this] { --reentry_; });
        if (linkedTree_ != nullptr)
            linkedTree_->SelectedFolder()->SetIdList(folder_.IdList());
        FillList();
    }
    FolderChanged();
}

void TRzCustomShellList::SetLinkedTree(IShellTreeLink* tree) {
    if (linkedTree_ != nullptr)
        RemoveFreeNotification(linkedTree_->LinkComponent());
    linkedTree_ = tree;
    if (linkedTree_ != nullptr)
        FreeNotification(linkedTree_->LinkComponent());
}

// ------------------------------------------------------------- events

void TRzCustomShellList::FillComplete() {
    if (OnFillComplete)
        OnFillComplete(this);
}

void TRzCustomShellList::FillStart() {
    if (OnFillStart)
        OnFillStart(this);
}

void TRzCustomShellList::FolderChanged() {
    if (OnFolderChanged)
        OnFolderChanged(this);
}
