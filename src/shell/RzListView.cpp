#include "shell/RzListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <numeric>
#include <utility>

#include "framework/ScopeExit.h"
#include "shell/IconLabel.h"
#include "shell/ListItemModel.h"
#include "shell/ListViewHost.h"
#include "shell/ListViews.h"
#include "shell/ShellEnv.h"
#include "shell/SortHeader.h"

// ------------------------------------------------------------- the list

TRzCustomListView::TRzCustomListView(TComponent* owner)
    : TWinControl(owner),
      TRzFrameControllerClient(static_cast<TControl&>(*this)),
      window_([this](TMessage& message) { WndProc(message); }),
      model_(std::make_unique<TListItemModel>(this)),
      host_(std::make_unique<TListViewHost>(this)),
      frame_([this] { Invalidate(); }, [this] { ApplyColors(); }) {
    selection_ = new QItemSelectionModel(model_.get(), model_.get());
    iconView_ = new TIconView(Widget());
    reportView_ = new TEditAwareView<QTreeView>(Widget());
    header_ = new TSortHeader(this);
    header_->setMinimumSectionSize(0);
    reportView_->setHeader(header_);
    // The view hands its sorting state to a new header, which turns clicks
    // off; the list sorts on clicks itself.
    header_->setSectionsClickable(true);
    reportView_->setRootIsDecorated(false);
    reportView_->setItemsExpandable(false);
    reportView_->setUniformRowHeights(true);
    reportView_->setIconSize(QSize(16, 16));
    // The views do not own their delegates; their children go with them.
    auto* reportCells = new TReportDelegate(this);
    reportCells->setParent(reportView_);
    reportView_->setItemDelegate(reportCells);
    auto* iconCells = new TIconDelegate(this);
    iconCells->setParent(iconView_);
    iconView_->setItemDelegate(iconCells);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(reportView_)}) {
        view->setModel(model_.get());
        view->setSelectionModel(selection_);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setFrameShape(QFrame::NoFrame);
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setTextElideMode(Qt::ElideRight);
        host_->Watch(view);
    }
    QObject::connect(header_, &QHeaderView::sectionClicked,
                     [this](int section) { ColumnClick(section); });
    QObject::connect(header_, &QHeaderView::sectionResized, [this](int section, int, int size) {
        if (section < ColumnCount())
            columns_[section].Width = size;
    });
    QObject::connect(selection_, &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex& current) {
                         if (!extendingSelection_)
                             selectionAnchor_ = current.row();
                     });
    ApplySelectionMode();
    ApplyEditTriggers();
    SetColor(clWindow);  // its own colour, not the parent's
    ApplyFont();
    ShowStyle();
    PostMessage(Handle(), kCreatedMessage);
}

TRzCustomListView::~TRzCustomListView() {
    // The views go before the model and the items they show, and tell the
    // host nothing on their way out.
    host_.reset();
    delete iconView_;
    delete reportView_;
    for (auto& item : items_)
        DeleteItem(*item);
}

// ----- items

TListItem& TRzCustomListView::AddItem() {
    if (items_.capacity() < items_.size() + 1)
        items_.reserve(items_.size() + std::max(allocBy_, 1));
    items_.push_back(std::make_unique<TListItem>());
    TListItem& item = *items_.back();
    InsertItem(item);
    if (updateLevel_ == 0)
        FlushInserted();
    return item;
}

void TRzCustomListView::FlushInserted() {
    model_->AnnounceRows(ItemCount());
    firstUninserted_ = ItemCount();
}

void TRzCustomListView::BeginUpdate() {
    ++updateLevel_;
}

void TRzCustomListView::EndUpdate() {
    if (updateLevel_ > 0 && --updateLevel_ == 0)
        FlushInserted();
}

void TRzCustomListView::DeleteItems(std::vector<int> indexes) {
    FlushInserted();
    SetDropHighlighted(-1);
    std::sort(indexes.begin(), indexes.end(), std::greater<int>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    // Contiguous runs, last first, so the indexes still to come stay valid.
    std::size_t i = 0;
    while (i < indexes.size()) {
        const int last = indexes[i];
        int first = last;
        while (++i < indexes.size() && indexes[i] == first - 1)
            first = indexes[i];
        if (first < 0 || last >= ItemCount())
            continue;
        for (int row = first; row <= last; ++row)
            DeleteItem(*items_[row]);
        model_->RemoveRows(
            first, last, [&] { items_.erase(items_.begin() + first, items_.begin() + last + 1); });
    }
    firstUninserted_ = ItemCount();
}

void TRzCustomListView::ClearItems() {
    std::vector<int> all(items_.size());
    std::iota(all.begin(), all.end(), 0);
    DeleteItems(std::move(all));
}

void TRzCustomListView::SortItems(const std::function<bool(int, int)>& less) {
    FlushInserted();
    SetDropHighlighted(-1);
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), less);
    model_->Reorder(order, [&] {
        std::vector<std::unique_ptr<TListItem>> sorted;
        sorted.reserve(items_.size());
        for (int old : order)
            sorted.push_back(std::move(items_[old]));
        items_ = std::move(sorted);
    });
}

void TRzCustomListView::SetAllocBy(int count) {
    allocBy_ = count;
    if (count > 0)
        items_.reserve(items_.size() + static_cast<std::size_t>(count));
}

// ----- selection and focus

void TRzCustomListView::SetSelected(int index, bool selected) {
    SetSelectedRange(index, index, selected);
}

void TRzCustomListView::SetSelectedRange(int first, int last, bool selected) {
    first = std::max(first, 0);
    last = std::min(last, ItemCount() - 1);
    if (first > last)
        return;
    selection_->select(QItemSelection(model_->index(first, 0), model_->index(last, 0)),
                       (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                           QItemSelectionModel::Rows);
}

std::vector<int> TRzCustomListView::SelectedIndexes() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selection_->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TRzCustomListView::ExtendSelectionTo(int row) {
    if (row < 0)
        return;
    const int anchor =
        selectionAnchor_ >= 0 && selectionAnchor_ < ItemCount() ? selectionAnchor_ : 0;
    extendingSelection_ = true;
    ScopeExit done([this] { extendingSelection_ = false; });
    ClearSelection();
    SetSelectedRange(std::min(anchor, row), std::max(anchor, row), true);
    SetFocusedIndex(row);
    ActiveView()->scrollTo(model_->index(row, 0));
}

void TRzCustomListView::ClearSelection() {
    selection_->clearSelection();
}

int TRzCustomListView::FocusedIndex() const {
    return selection_->currentIndex().isValid() ? selection_->currentIndex().row() : -1;
}

void TRzCustomListView::SetFocusedIndex(int index) {
    selection_->setCurrentIndex(model_->index(index, 0), QItemSelectionModel::NoUpdate);
}

// ----- columns

int TRzCustomListView::ColumnWidth(int index) const {
    return columns_.at(index).Width;
}

void TRzCustomListView::SetColumnWidth(int index, int width) {
    columns_.at(index).Width = width;
    if (columnUpdateLevel_ == 0)
        header_->resizeSection(index, width);
}

void TRzCustomListView::BeginColumnUpdate() {
    ++columnUpdateLevel_;
}

void TRzCustomListView::EndColumnUpdate() {
    if (columnUpdateLevel_ == 0 || --columnUpdateLevel_ > 0 || !columnsChanged_)
        return;
    columnsChanged_ = false;
    SyncColumnsToHeader();
}

void TRzCustomListView::SyncColumnsToHeader() {
    model_->SetColumnCount(ColumnCount());
    model_->ColumnsRenamed();
    for (int i = 0; i < ColumnCount(); ++i)
        header_->resizeSection(i, columns_[i].Width);
    reportView_->setColumnHidden(0, false);
}

void TRzCustomListView::ClearColumns() {
    columns_.clear();
    columnsChanged_ = true;
    if (columnUpdateLevel_ == 0)
        EndColumnUpdate();
}

void TRzCustomListView::AddColumn(const std::string& caption, int width,
                                  TColumnAlignment alignment) {
    columns_.push_back({caption, width, alignment});
    columnsChanged_ = true;
    if (columnUpdateLevel_ == 0) {
        ++columnUpdateLevel_;
        EndColumnUpdate();
    }
}

// ----- appearance

QAbstractItemView* TRzCustomListView::ActiveView() const {
    return viewStyle_ == vsReport ? static_cast<QAbstractItemView*>(reportView_)
                                  : static_cast<QAbstractItemView*>(iconView_);
}

void TRzCustomListView::SetViewStyle(TViewStyle style) {
    if (style == viewStyle_)
        return;
    viewStyle_ = style;
    ShowStyle();
}

// The list view in the shape of the style; the report view for vsReport.
void TRzCustomListView::ShowStyle() {
    const bool report = viewStyle_ == vsReport;
    if (!report) {
        const bool icons = viewStyle_ == vsIcon;
        iconView_->setViewMode(icons ? QListView::IconMode : QListView::ListMode);
        iconView_->setFlow(viewStyle_ == vsList ? QListView::TopToBottom : QListView::LeftToRight);
        iconView_->setWrapping(true);
        iconView_->setWordWrap(icons);
        iconView_->setIconSize(icons ? QSize(kLargeIconPixels, kLargeIconPixels) : QSize(16, 16));
        iconView_->setGridSize(
            icons ? IconCellSize(kIconCellWidth, iconView_->iconSize(), iconView_->fontMetrics()) +
                        QSize(kIconGridGap, kIconGridGap)
                  : QSize(viewStyle_ == vsList ? 200 : 160, 20));
        iconView_->setUniformItemSizes(true);
        iconView_->setMovement(QListView::Static);
        iconView_->setLayoutMode(QListView::Batched);
        iconView_->setResizeMode(autoArrange_ ? QListView::Adjust : QListView::Fixed);
    }
    iconView_->setVisible(!report);
    reportView_->setVisible(report);
    Widget()->setFocusProxy(ActiveView());
    LayoutViews();
    ApplyColors();
    if (report)
        ApplyHeaderSortIndicator();
}

void TRzCustomListView::SetMultiSelect(bool multi) {
    multiSelect_ = multi;
    ApplySelectionMode();
}

void TRzCustomListView::ApplySelectionMode() {
    const auto mode =
        multiSelect_ ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    iconView_->setSelectionMode(mode);
    reportView_->setSelectionMode(mode);
}

void TRzCustomListView::SetRowSelect(bool rowSelect) {
    rowSelect_ = rowSelect;
    reportView_->setAllColumnsShowFocus(rowSelect);
    reportView_->viewport()->update();
}

void TRzCustomListView::SetGridLines(bool gridLines) {
    gridLines_ = gridLines;
    reportView_->viewport()->update();
}

void TRzCustomListView::SetAutoArrange(bool autoArrange) {
    autoArrange_ = autoArrange;
    iconView_->setResizeMode(autoArrange ? QListView::Adjust : QListView::Fixed);
    if (autoArrange)
        iconView_->doItemsLayout();
}

void TRzCustomListView::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    ApplyEditTriggers();
}

void TRzCustomListView::ApplyEditTriggers() {
    const auto triggers =
        readOnly_ ? QAbstractItemView::NoEditTriggers
                  : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked;
    iconView_->setEditTriggers(triggers);
    reportView_->setEditTriggers(triggers);
}

void TRzCustomListView::SetEmptyText(const std::string& text) {
    SetViewEmptyText(iconView_, QString::fromStdString(text));
    SetViewEmptyText(reportView_, QString::fromStdString(text));
}

bool TRzCustomListView::IsEditing() const {
    return ViewEditing(ActiveView());
}

void TRzCustomListView::EditLabel(int index) {
    if (index < 0 || index >= ItemCount() || !CanEditLabel(Item(index)))
        return;
    ActiveView()->edit(model_->index(index, 0));
}

void TRzCustomListView::SetSmallImages(HIMAGELIST images) {
    smallImages_ = images;
    model_->ForgetPictures();
}

void TRzCustomListView::SetLargeImages(HIMAGELIST images) {
    largeImages_ = images;
    model_->ForgetPictures();
}

// ----- frame and colours

void TRzCustomListView::TakeControllerFrame(TFrameStyle style, TColor flatColor) {
    SetFrameStyle(style);
    SetFrameColor(flatColor);
}

void TRzCustomListView::ApplyColors() {
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(reportView_)}) {
        QPalette palette = view->palette();
        palette.setColor(QPalette::Base, ToQColor(StateColor()));
        palette.setColor(QPalette::Text, ToQColor(Font().Color));
        view->setPalette(palette);
    }
}

// The views write in the control's font (the header takes it from the
// report view).
void TRzCustomListView::ApplyFont() {
    iconView_->setFont(ToQFont(Font()));
    reportView_->setFont(ToQFont(Font()));
}

void TRzCustomListView::FontChanged() {
    ApplyFont();
    ShowStyle();  // the icon grid follows the font's line height
    TWinControl::FontChanged();
}

void TRzCustomListView::FocusChanged() {
    ApplyColors();
    if (frame_.FrameHotTrack())
        Invalidate();
}

void TRzCustomListView::EnabledChanged() {
    iconView_->setEnabled(Enabled());
    reportView_->setEnabled(Enabled());
    ApplyColors();
    TWinControl::EnabledChanged();
}

void TRzCustomListView::ColorChanged() {
    ApplyColors();
    TWinControl::ColorChanged();
}

// The border ring in Color whatever the state, with the system's sunken edge
// or the frame's lines over it.
void TRzCustomListView::Paint(TCanvas& canvas) {
    frame_.Paint(canvas, Rect(0, 0, Width(), Height()), Color(), Focused());
}

void TRzCustomListView::Resize() {
    LayoutViews();
}

void TRzCustomListView::LayoutViews() {
    constexpr int ring = TViewFrame::kRingWidth;
    const QRect inner(ring, ring, std::max(Width() - 2 * ring, 0),
                      std::max(Height() - 2 * ring, 0));
    iconView_->setGeometry(inner);
    reportView_->setGeometry(inner);
}

// ----- header sort indicator

void TRzCustomListView::SetHeaderSortDisplayMode(THeaderSortDisplayMode mode) {
    // Owner-drawn header items need common controls 4.70 or later.
    headerSortDisplayMode_ = ShellEnv.ComCtlVersion.MS >= 0x00040046 ? mode : hsdmNone;
    ApplyHeaderSortIndicator();
}

void TRzCustomListView::SetHeaderSortState(int column, bool ascending) {
    if (column == headerSortColumn_ && ascending == headerSortAscending_)
        return;
    headerSortColumn_ = column;
    headerSortAscending_ = ascending;
    ApplyHeaderSortIndicator();
}

void TRzCustomListView::ApplyHeaderSortIndicator() {
    if (viewStyle_ == vsReport)
        header_->viewport()->update();
}

void TRzCustomListView::ScrollToTopLeft() {
    ActiveView()->verticalScrollBar()->setValue(0);
    ActiveView()->horizontalScrollBar()->setValue(0);
}

int TRzCustomListView::ItemAt(QPoint point) const {
    QAbstractItemView* view = ActiveView();
    const QModelIndex index = view->indexAt(view->viewport()->mapFrom(Widget(), point));
    return index.isValid() ? index.row() : -1;
}

void TRzCustomListView::SetDropHighlighted(int index) {
    if (index == dropHighlighted_)
        return;
    const int old = std::exchange(dropHighlighted_, index);
    for (int row : {old, index})
        if (row >= 0 && row < ItemCount())
            model_->RowChanged(row);
}

void TRzCustomListView::WheelNotches(int notches) {
    const int step = viewStyle_ == vsIcon ? 32 : 16;
    QScrollBar* bar = ActiveView()->verticalScrollBar();
    bar->setValue(bar->value() - notches * QApplication::wheelScrollLines() * step);
}

// ----- events

void TRzCustomListView::ColumnClick(int column) {
    if (OnColumnClick)
        OnColumnClick(this, column);
}

void TRzCustomListView::ItemOpen(int index) {
    if (OnItemOpen)
        OnItemOpen(this, index);
}

bool TRzCustomListView::ItemEdited(TListItem& item, std::string& caption) {
    if (OnEdited)
        OnEdited(this, item, caption);
    return true;
}

bool TRzCustomListView::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (multiSelect_ && modifiers == Qt::ShiftModifier &&
        (key == Qt::Key_Home || key == Qt::Key_End)) {
        ExtendSelectionTo(key == Qt::Key_Home ? 0 : ItemCount() - 1);
        return true;
    }
    const bool menuKey = key == Qt::Key_Menu && modifiers == Qt::NoModifier;
    if (!menuKey && !(key == Qt::Key_F10 && modifiers == Qt::ShiftModifier))
        return false;
    RequestContextMenu(nullptr);
    return true;
}

// The menu of the selection: at the mouse, or from the keyboard at the
// focused item when it is selected, else at the first selected item. A mouse
// request without a selection or a focused item shows nothing.
void TRzCustomListView::RequestContextMenu(const QPoint* at) {
    const std::vector<int> selected = SelectedIndexes();
    const int focused = FocusedIndex();
    if (selected.empty() || (at != nullptr && focused < 0))
        return;
    QPoint point;
    if (at != nullptr)
        point = *at;
    else if (focused >= 0 && std::find(selected.begin(), selected.end(), focused) != selected.end())
        point = LabelCentre(focused);
    else
        point = LabelCentre(selected.front());
    ItemContextMenu(focused >= 0 ? &Item(focused) : nullptr, point);
}

QPoint TRzCustomListView::LabelCentre(int index) const {
    QAbstractItemView* view = ActiveView();
    return view->viewport()->mapTo(Widget(), view->visualRect(model_->index(index, 0)).center());
}

void TRzCustomListView::WndProc(TMessage& message) {
    if (message.Msg == kCreatedMessage)
        ApplyHeaderSortIndicator();
}
