#pragma once

// Private to the tree view: the Qt tree widget behind it.

#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <memory>

#include "shell/DragGesture.h"
#include "shell/RzTreeView.h"

// The Qt side of the tree view: reports focus, clicks, expansion, selection,
// editing and context-menu requests to its owner.
class TreeViewWidget : public QTreeWidget {
  public:
    TreeViewWidget(TRzCustomTreeView* owner, QWidget* parent);
    TRzCustomTreeView* Owner() const { return owner_; }
    bool Editing() const { return state() == EditingState; }
    bool CanChange(TTreeNode* node) { return owner_->CanChange(node); }
    // Scrolls the item's row to the middle when it is out of sight or at an
    // edge (where selecting it left it), so that the rows around it show;
    // sideways to the left edge, so that the expanders of its parents show,
    // unless its label would then end out of sight: then so that its own
    // and its parent's expanders still show.
    void ShowItem(QTreeWidgetItem* item);
    // Dismisses the item's open edit box as Escape does.
    void CancelEditor(QTreeWidgetItem* item);

  protected:
    // A sideways step is one level of indentation; the view's own step is
    // half its width, which throws a dragged pointer's labels out of sight.
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // A press on a node's picture or caption may start a drag of the node, so
    // it takes effect (selection, menu) only at the release; a drag that
    // starts leaves the selection where it was.
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // The control's OnKeyDown sees every key first and may keep it from the
    // tree (a splitter drag borrows it for Escape).
    void keyPressEvent(QKeyEvent* e) override;
    // The node pressed, if a refresh has not taken it away meanwhile.
    TTreeNode* PressedNode() const;
    void Press(QMouseEvent* e);
    // `at` in viewport coordinates.
    void MouseContextMenu(QPoint at);
    // From the keyboard the menu opens at the centre of the selected node.
    void KeyboardContextMenu();
    // OnCustomDraw runs before the view draws its nodes and may skip that.
    void paintEvent(QPaintEvent* e) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    // The view reports expansion and collapse after the fact: a refused one
    // is undone without reporting the undoing.
    void ExpandedOrCollapsed(QTreeWidgetItem* item, bool expanded);

    TRzCustomTreeView* owner_;
    TDragGesture gesture_;
    QPersistentModelIndex pressedNode_;
    std::unique_ptr<QMouseEvent> deferredPress_;
    bool undoing_ = false;
};
