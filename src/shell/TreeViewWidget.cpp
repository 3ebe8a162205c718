#include "shell/TreeViewWidget.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <algorithm>

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "shell/TreeNodeDelegate.h"

namespace {

// Asks the control before the current node moves to another node, and keeps
// the selection on the current node, so that a refused move leaves both
// where they were. Selecting a node when none is current, as the tree does
// after clearing its selection for its own work, keeps nothing and is not
// asked.
class TreeSelectionModel : public QItemSelectionModel {
  public:
    explicit TreeSelectionModel(TreeViewWidget* view) : QItemSelectionModel(view->model(), view) {}

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
        auto* view = static_cast<TreeViewWidget*>(parent());
        auto* node = static_cast<TTreeNode*>(view->itemFromIndex(index));
        bool allow = true;
        if (node != nullptr && currentIndex().isValid() && index != currentIndex())
            Application->HandleExceptions([&] { allow = view->CanChange(node); });
        if (allow)
            QItemSelectionModel::setCurrentIndex(index, command);
    }
    void select(const QItemSelection& selection, SelectionFlags command) override {
        const QModelIndexList indexes = selection.indexes();
        for (const QModelIndex& index : indexes)
            if (index.row() != currentIndex().row() || index.parent() != currentIndex().parent())
                return;
        QItemSelectionModel::select(selection, command);
    }
    using QItemSelectionModel::select;
};

// The selection covers the node's caption only, not the indentation before
// it, as on the platform's tree view.
class TreeStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ItemView_ShowDecorationSelected)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

TreeViewWidget::TreeViewWidget(TRzCustomTreeView* owner, QWidget* parent)
    : QTreeWidget(parent), owner_(owner) {
    setHeaderHidden(true);
    setColumnCount(1);
    // Never shown, but read by screen readers: not the toolkit's "1".
    setHeaderLabel(QCoreApplication::translate("TreeViewWidget", "Name"));
    // The column is as wide as the widest shown label; the view scrolls
    // sideways past the control's width rather than cutting labels short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setFrameShape(QFrame::NoFrame);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setItemDelegate(new TreeNodeDelegate(owner, this));
    std::unique_ptr<QItemSelectionModel> plain(selectionModel());
    setSelectionModel(new TreeSelectionModel(this));
    auto* style = new TreeStyle();
    style->setParent(this);
    setStyle(style);
    // The tree widget's own item signals stay with the replaced model.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                auto* node = static_cast<TTreeNode*>(itemFromIndex(current));
                Application->HandleExceptions([&] { owner_->Change(node); });
            });
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { ExpandedOrCollapsed(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { ExpandedOrCollapsed(item, false); });
}

void TreeViewWidget::ExpandedOrCollapsed(QTreeWidgetItem* item, bool expanded) {
    if (undoing_)
        return;
    auto* node = static_cast<TTreeNode*>(item);
    bool allow = false;
    Application->HandleExceptions(
        [&] { allow = expanded ? owner_->CanExpand(node) : owner_->CanCollapse(node); });
    if (!allow) {
        undoing_ = true;
        item->setExpanded(!expanded);
        undoing_ = false;
        return;
    }
    Application->HandleExceptions(
        [&] { expanded ? owner_->Expanded(node) : owner_->Collapsed(node); });
}

void TreeViewWidget::ShowItem(QTreeWidgetItem* item) {
    header()->resizeSections(QHeaderView::ResizeToContents);
    updateGeometries();
    const QRect row = visualItemRect(item);
    if (row.top() < row.height() || row.bottom() >= viewport()->height() - row.height())
        scrollToItem(item, PositionAtCenter);
    const int left = visualItemRect(item).left() + horizontalScrollBar()->value();
    const int labelEnd = left + iconSize().width() + fontMetrics().horizontalAdvance(item->text(0));
    horizontalScrollBar()->setValue(
        labelEnd > viewport()->width() ? std::max(0, left - 2 * indentation()) : 0);
}

void TreeViewWidget::CancelEditor(QTreeWidgetItem* item) {
    if (QWidget* editor = indexWidget(indexFromItem(item)))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void TreeViewWidget::updateGeometries() {
    QTreeWidget::updateGeometries();
    horizontalScrollBar()->setSingleStep(indentation());
}

void TreeViewWidget::focusInEvent(QFocusEvent* e) {
    QTreeWidget::focusInEvent(e);
    owner_->FocusChanged();
}

void TreeViewWidget::focusOutEvent(QFocusEvent* e) {
    QTreeWidget::focusOutEvent(e);
    owner_->FocusChanged();
}

void TreeViewWidget::mousePressEvent(QMouseEvent* e) {
    auto* node = static_cast<TTreeNode*>(itemAt(e->pos()));
    gesture_.Press(e->button(), e->pos());
    if (node != nullptr && gesture_.Watching() && visualItemRect(node).contains(e->pos())) {
        pressedNode_ = indexFromItem(node);
        deferredPress_.reset(e->clone());
        return;
    }
    gesture_.Cancel();
    Press(e);
}

void TreeViewWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!deferredPress_) {
        QTreeWidget::mouseMoveEvent(e);
        return;
    }
    if (!gesture_.Move(e->buttons(), e->pos()))
        return;
    std::unique_ptr<QMouseEvent> press = std::move(deferredPress_);
    bool started = false;
    if (PressedNode() != nullptr)
        Application->HandleExceptions(
            [&] { started = owner_->BeginNodeDrag(PressedNode(), gesture_.DragButton()); });
    if (!started)
        Press(press.get());
}

void TreeViewWidget::mouseReleaseEvent(QMouseEvent* e) {
    std::optional<QPoint> menuAt = gesture_.Release(e->button());
    if (std::unique_ptr<QMouseEvent> press = std::move(deferredPress_))
        Press(press.get());
    if (menuAt)
        MouseContextMenu(*menuAt);
    QTreeWidget::mouseReleaseEvent(e);
}

void TreeViewWidget::contextMenuEvent(QContextMenuEvent* e) {
    if (e->reason() != QContextMenuEvent::Mouse)
        return KeyboardContextMenu();
    if (!gesture_.DeferMenu(e->pos()))
        MouseContextMenu(e->pos());
}

void TreeViewWidget::keyPressEvent(QKeyEvent* e) {
    std::uint16_t key = VirtualKeyOf(e->key());
    if (key != 0 && owner_->OnKeyDown) {
        TKeyEvent handler = owner_->OnKeyDown;
        handler(owner_, key, ShiftStateOf(e->modifiers().toInt()));
        if (key == 0)
            return;
    }
    if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
        KeyboardContextMenu();
        return;
    }
    bool consumed = false;
    Application->HandleExceptions([&] { consumed = owner_->KeyDown(e->key(), e->modifiers()); });
    if (!consumed)
        QTreeWidget::keyPressEvent(e);
}

TTreeNode* TreeViewWidget::PressedNode() const {
    return pressedNode_.isValid() ? static_cast<TTreeNode*>(itemFromIndex(pressedNode_)) : nullptr;
}

void TreeViewWidget::Press(QMouseEvent* e) {
    owner_->TreeMouseDown(e->button() == Qt::RightButton ? mbRight : mbLeft);
    QTreeWidget::mousePressEvent(e);
}

void TreeViewWidget::MouseContextMenu(QPoint at) {
    QPoint p = viewport()->mapTo(this, at) + pos();
    auto* node = static_cast<TTreeNode*>(itemAt(at));
    Application->HandleExceptions([&] { owner_->NodeContextMenu(node, {p.x(), p.y()}); });
}

void TreeViewWidget::KeyboardContextMenu() {
    auto* node = static_cast<TTreeNode*>(currentItem());
    QPoint p = pos();
    if (node != nullptr)
        p += viewport()->mapTo(this, visualItemRect(node).center());
    Application->HandleExceptions([&] { owner_->NodeContextMenu(node, {p.x(), p.y()}); });
}

void TreeViewWidget::paintEvent(QPaintEvent* e) {
    if (owner_->OnCustomDraw) {
        QPainter painter(viewport());
        TCanvas canvas(painter);
        const QRect area = viewport()->rect();
        const TRect rect{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
        TTVCustomDrawEvent handler = owner_->OnCustomDraw;
        if (!owner_->CustomDraw(canvas, [&](bool& draw) { handler(owner_, rect, draw); }))
            return;
    }
    QTreeWidget::paintEvent(e);
}

void TreeViewWidget::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeWidget::closeEditor(editor, hint);
    owner_->EditClosed(hint == QAbstractItemDelegate::RevertModelCache);
}
