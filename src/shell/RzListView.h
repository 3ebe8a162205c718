#pragma once

#include <QPixmap>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chrome/Frame.h"
#include "chrome/FrameController.h"
#include "chrome/ViewFrame.h"
#include "framework/Messages.h"
#include "framework/WinControl.h"
#include "platform/SystemImageList.h"
#include "shell/HeaderSortArrow.h"

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QModelIndex;
class QTreeView;
class TListItemModel;
class TListViewHost;
class TSortHeader;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The width and height of a large icon's picture.
constexpr int kLargeIconPixels = 32;

// One row of the list. The list owns its items; Data belongs to whoever put
// it there (the shell list owns its records and frees them on deletion).
// An empty Caption is asked of the list (ItemCaption) when the row is shown.
struct TListItem {
    std::string Caption;
    int ImageIndex = -1;
    int OverlayIndex = -1;  // 0-based: overlay image OverlayIndex + 1 is drawn
    bool Cut = false;       // drawn dimmed
    TObject* Data = nullptr;
    // Texts of columns 1.. set by the owner; columns past them are asked of
    // the list (ItemDetailText) up to SubItemCount.
    std::vector<std::string> SubItems;
    int SubItemCount = 0;
};

// How a detail cell reads beyond its text: in italics, with a tip, and what
// assistive tools are told of it besides its text.
struct TCellNote {
    bool italic = false;
    std::string tip;
    std::string description;
};

struct TListColumn {
    std::string Caption;
    int Width = 50;
    TColumnAlignment Alignment = caLeft;
};

// A list-view control: one item model and one selection shown by four views
// (large icons, small icons, list, report), with a frame drawn on its 2-pixel
// border ring, colour states for focus and disabled (a frame controller, when
// set and active, imposes FrameStyle, FrameColor, Color and ParentColor), and
// a report header that draws the sort arrow itself. Item texts and icons are asked for only when a
// row is shown.
//
// Items and columns change inside Begin/EndUpdate brackets: rows appended in a
// bracket reach the views in one batch at its end.
class TRzCustomListView : public TWinControl, public TRzFrameControllerClient {
  public:
    // Posted on window creation; the header sort indicator is applied again.
    static constexpr std::uint32_t kCreatedMessage = WM_USER + 100;

    explicit TRzCustomListView(TComponent* owner);
    ~TRzCustomListView() override;

    // ----- items
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TListItem& Item(int index) const { return *items_.at(index); }
    // Appends a row (through InsertItem) and returns it.
    TListItem& AddItem();
    // Deletes rows through DeleteItem, the given indexes in any order.
    void DeleteItems(std::vector<int> indexes);
    void ClearItems();
    void BeginUpdate();
    void EndUpdate();
    // Reorders the rows by `less`, which compares two rows by their index
    // before the sort; selection and focus stay with their rows.
    void SortItems(const std::function<bool(int, int)>& less);
    // Capacity hint for the next inserts.
    void SetAllocBy(int count);
    int AllocBy() const { return allocBy_; }

    // ----- selection and focus (one for all views)
    void SetSelected(int index, bool selected);
    // Rows first..last in one step: a selection of any size is one range.
    void SetSelectedRange(int first, int last, bool selected);
    std::vector<int> SelectedIndexes() const;
    void ClearSelection();
    int FocusedIndex() const;
    void SetFocusedIndex(int index);

    // ----- columns (report view)
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const TListColumn& Column(int index) const { return columns_.at(index); }
    int ColumnWidth(int index) const;
    void SetColumnWidth(int index, int width);
    void BeginColumnUpdate();
    void EndColumnUpdate();
    void ClearColumns();
    void AddColumn(const std::string& caption, int width, TColumnAlignment alignment);

    // ----- appearance
    TViewStyle ViewStyle() const { return viewStyle_; }
    virtual void SetViewStyle(TViewStyle style);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool multi);
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool rowSelect);
    bool GridLines() const { return gridLines_; }
    void SetGridLines(bool gridLines);
    bool AutoArrange() const { return autoArrange_; }
    void SetAutoArrange(bool autoArrange);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // A text the views show while the list has no rows (empty: none).
    void SetEmptyText(const std::string& text);
    // Whether a label is being edited.
    bool IsEditing() const;
    // Starts editing the label of row `index` whatever ReadOnly says (F2 and
    // a menu's rename entry ask for it); rows CanEditLabel refuses stay put.
    void EditLabel(int index);

    HIMAGELIST SmallImages() const { return smallImages_; }
    HIMAGELIST LargeImages() const { return largeImages_; }
    // The lists are shared, never owned.
    void SetSmallImages(HIMAGELIST images);
    void SetLargeImages(HIMAGELIST images);

    // ----- frame and colours
    bool FrameVisible() const { return frame_.FrameVisible(); }
    void SetFrameVisible(bool visible) { frame_.SetFrameVisible(visible); }
    TFrameStyle FrameStyle() const { return frame_.FrameStyle(); }
    void SetFrameStyle(TFrameStyle style) { frame_.SetFrameStyle(style); }
    TFrameStyle FrameHotStyle() const { return frame_.FrameHotStyle(); }
    void SetFrameHotStyle(TFrameStyle style) { frame_.SetFrameHotStyle(style); }
    TColor FrameColor() const { return frame_.FrameColor(); }
    void SetFrameColor(TColor color) { frame_.SetFrameColor(color); }
    TColor FrameHotColor() const { return frame_.FrameHotColor(); }
    void SetFrameHotColor(TColor color) { frame_.SetFrameHotColor(color); }
    bool FrameHotTrack() const { return frame_.FrameHotTrack(); }
    void SetFrameHotTrack(bool hotTrack) { frame_.SetFrameHotTrack(hotTrack); }
    TSides FrameSides() const { return frame_.FrameSides(); }
    void SetFrameSides(TSides sides) { frame_.SetFrameSides(sides); }
    TFramingPreference FramingPreference() const { return frame_.FramingPreference(); }
    void SetFramingPreference(TFramingPreference p) { frame_.SetFramingPreference(p); }
    TColor FocusColor() const { return frame_.FocusColor(); }
    void SetFocusColor(TColor color) { frame_.SetFocusColor(color); }
    TColor DisabledColor() const { return frame_.DisabledColor(); }
    void SetDisabledColor(TColor color) { frame_.SetDisabledColor(color); }
    // The background of the moment: DisabledColor, FocusColor or Color.
    TColor StateColor() const { return frame_.StateColor(Color(), Enabled(), Focused()); }

    // ----- header sort indicator
    THeaderSortDisplayMode HeaderSortDisplayMode() const { return headerSortDisplayMode_; }
    void SetHeaderSortDisplayMode(THeaderSortDisplayMode mode);
    int HeaderSortColumn() const { return headerSortColumn_; }
    bool HeaderSortAscending() const { return headerSortAscending_; }
    void SetHeaderSortState(int column, bool ascending);
    void ApplyHeaderSortIndicator();

    // ----- window
    WindowHandle Handle() const { return window_.Handle(); }
    std::intptr_t Perform(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        return window_.Perform(msg, wParam, lParam);
    }
    MessageWindow& Window() { return window_; }
    // The Qt view that shows the current style, and the report header.
    QAbstractItemView* ActiveView() const;
    QTreeView* ReportView() const { return reportView_; }
    QListView* IconView() const { return iconView_; }
    QItemSelectionModel* SelectionModelForTest() const { return selection_; }
    TListItemModel* Model() const { return model_.get(); }
    // Scrolls the view to its top-left corner.
    void ScrollToTopLeft();
    // The row under a point in list coordinates, -1 for none.
    int ItemAt(QPoint point) const;
    // The row drawn as the target of a drag (-1 for none); it lasts until a
    // row is removed or the rows are sorted.
    int DropHighlighted() const { return dropHighlighted_; }
    void SetDropHighlighted(int index);
    // One wheel notch (+1 away from the user, -1 toward) as the list scrolls it.
    void WheelNotches(int notches);

    std::function<void(TObject* sender, int column)> OnColumnClick;
    // A row was opened (double click or Enter).
    std::function<void(TObject* sender, int index)> OnItemOpen;
    std::function<void(TObject* sender, TListItem& item, std::string& caption)> OnEdited;

  protected:
    friend class TListItemModel;
    friend class TListViewHost;

    // Fills a new row before it is shown.
    virtual void InsertItem(TListItem&) {}
    // A row is about to go: release what Data holds.
    virtual void DeleteItem(TListItem&) {}
    virtual std::string ItemCaption(TListItem& item) { return item.Caption; }
    // The name a label edit starts with (bytes; shown through ReadableText).
    virtual std::string ItemEditText(TListItem& item) { return ItemCaption(item); }
    virtual std::string ItemDetailText(TListItem&, int) { return {}; }
    virtual TCellNote ItemDetailNote(TListItem&, int) { return {}; }
    virtual int ItemImage(TListItem& item) { return item.ImageIndex; }
    // The item's own picture for the large icons (a photo's), drawn instead of
    // its image; a null pixmap for none.
    virtual QPixmap ItemPhoto(TListItem&) { return {}; }
    virtual void ColumnClick(int column);
    virtual void ItemOpen(int index);
    // A label edit ended with a new text; false keeps the old caption.
    virtual bool ItemEdited(TListItem& item, std::string& caption);
    // Whether the label of `item` may be edited at all.
    virtual bool CanEditLabel(TListItem&) { return true; }
    // A key pressed in the view before the view handles it; true consumes it.
    virtual bool KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // The left (0) or right (1) button was pressed on a selected row and
    // moved with it held: an outgoing drag of the selection may start.
    virtual void BeginItemDrag(int) {}
    // A context menu for `item` (the focused one, may be null) at `point` in
    // list coordinates.
    virtual void ItemContextMenu(TListItem*, QPoint) {}
    // A context menu was asked for: with the mouse at `at` (list
    // coordinates), or from the keyboard when `at` is null.
    void RequestContextMenu(const QPoint* at);
    virtual void WndProc(TMessage& message);

    void TakeControllerFrame(TFrameStyle style, TColor flatColor) override;
    void Paint(TCanvas& canvas) override;
    void Resize() override;
    void EnabledChanged() override;
    void ColorChanged() override;
    void FontChanged() override;
    void FocusChanged();

  private:
    void FlushInserted();
    // Shift+Home and Shift+End: the rows from the anchor to `row`, as one
    // range, the focus on `row`. (The views' own extension goes by geometry
    // and misses rows not laid out yet.)
    void ExtendSelectionTo(int row);
    void ShowStyle();
    void ApplyColors();
    void ApplyFont();
    void ApplyEditTriggers();
    void ApplySelectionMode();
    void SyncColumnsToHeader();
    void LayoutViews();
    QPoint LabelCentre(int index) const;

    MessageWindow window_;
    std::vector<std::unique_ptr<TListItem>> items_;
    int firstUninserted_ = 0;
    int updateLevel_ = 0;
    int allocBy_ = 256;
    std::vector<TListColumn> columns_;
    int columnUpdateLevel_ = 0;
    bool columnsChanged_ = false;

    std::unique_ptr<TListItemModel> model_;
    QItemSelectionModel* selection_ = nullptr;  // owned by the model
    QListView* iconView_ = nullptr;             // owned by the widget
    QTreeView* reportView_ = nullptr;
    TSortHeader* header_ = nullptr;
    std::unique_ptr<TListViewHost> host_;

    TViewStyle viewStyle_ = vsIcon;
    bool multiSelect_ = false;
    bool rowSelect_ = false;
    bool gridLines_ = false;
    bool autoArrange_ = true;
    bool readOnly_ = false;
    HIMAGELIST smallImages_ = nullptr;
    HIMAGELIST largeImages_ = nullptr;

    TViewFrame frame_;

    int dropHighlighted_ = -1;
    // Where a keyboard extension of the selection starts: the row that last
    // took the focus other than through the extension itself.
    int selectionAnchor_ = -1;
    bool extendingSelection_ = false;

    THeaderSortDisplayMode headerSortDisplayMode_ = hsdmRightOfText;
    int headerSortColumn_ = -1;
    bool headerSortAscending_ = true;
};
