#include "shell/ListViews.h"

#include <QPainter>

#include "shell/IconLabel.h"
#include "shell/RzListView.h"

namespace {

// Label lines of an item whose whole label is not shown.
constexpr int kIconLabelLines = 2;

// Whether the large-icon view shows the whole label of `index`: the focused
// item does while it is selected.
bool ShowsWholeLabel(const QAbstractItemView& view, const QModelIndex& index) {
    return index == view.currentIndex() && view.selectionModel() != nullptr &&
           view.selectionModel()->isSelected(index);
}

}  // namespace

bool ViewEditing(QAbstractItemView* view) {
    if (auto* list = dynamic_cast<TEditAwareView<QListView>*>(view))
        return list->Editing();
    auto* report = dynamic_cast<TEditAwareView<QTreeView>*>(view);
    return report != nullptr && report->Editing();
}

void SetViewEmptyText(QAbstractItemView* view, const QString& text) {
    if (auto* list = dynamic_cast<TEditAwareView<QListView>*>(view))
        list->SetEmptyText(text);
    else if (auto* report = dynamic_cast<TEditAwareView<QTreeView>*>(view))
        report->SetEmptyText(text);
}

// ------------------------------------------------------------- the cells

void TReportDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    if (!owner_->RowSelect() && index.column() > 0)
        cell.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, cell, index);
    if (owner_->GridLines()) {
        painter->save();
        painter->setPen(ToQColor(clBtnFace));
        const QRect r = option.rect;
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter->restore();
    }
}

QSize TIconDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (owner_->ViewStyle() != vsIcon)
        return QStyledItemDelegate::sizeHint(option, index);
    const QSize grid = owner_->IconView()->gridSize();
    return QSize(grid.width() - kIconGridGap, grid.height() - kIconGridGap);
}

void TIconDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (owner_->ViewStyle() != vsIcon)
        return QStyledItemDelegate::paint(painter, option, index);
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // The target of a drag shows as selected, its caption too.
    if (index.row() == owner_->DropHighlighted())
        cell.state |= QStyle::State_Selected | QStyle::State_Active;
    PaintIconPicture(*painter, cell);
    // A whole label is drawn by the view after every cell.
    if (!ShowsWholeLabel(*owner_->IconView(), index))
        PaintIconLabel(*painter, cell, kIconLabelLines);
}

void TIconDelegate::PaintWholeLabel(QPainter& painter, QStyleOptionViewItem cell,
                                    const QModelIndex& index) const {
    initStyleOption(&cell, index);
    PaintIconLabel(painter, cell, 0);
}

// ------------------------------------------------------------- the icon view

void TIconView::paintEvent(QPaintEvent* event) {
    TEditAwareView::paintEvent(event);
    const QModelIndex current = currentIndex();
    auto* cells = dynamic_cast<TIconDelegate*>(itemDelegate());
    if (viewMode() != IconMode || cells == nullptr || !current.isValid() ||
        !ShowsWholeLabel(*this, current))
        return;
    QStyleOptionViewItem cell;
    initViewItemOption(&cell);
    cell.rect = visualRect(current);
    cell.state |= QStyle::State_Selected;
    if (hasFocus() || viewport()->hasFocus())
        cell.state |= QStyle::State_HasFocus;
    QPainter painter(viewport());
    cells->PaintWholeLabel(painter, cell, current);
}

void TIconView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    TEditAwareView::currentChanged(current, previous);
    RepaintLabels();
}

void TIconView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    TEditAwareView::selectionChanged(selected, deselected);
    RepaintLabels();
}

void TIconView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                            const QList<int>& roles) {
    TEditAwareView::dataChanged(topLeft, bottomRight, roles);
    RepaintLabels();
}

QRegion TIconView::visualRegionForSelection(const QItemSelection& selection) const {
    constexpr int kRowsWorthSumming = 256;
    int rows = 0;
    for (const QItemSelectionRange& range : selection)
        rows += range.height();
    if (rows > kRowsWorthSumming)
        return viewport()->rect();
    return TEditAwareView::visualRegionForSelection(selection);
}

void TIconView::RepaintLabels() {
    if (viewMode() == IconMode)
        viewport()->update();
}
