#pragma once

// Private to the tree view: the painter and editor of its nodes.

#include <QStyledItemDelegate>

class TRzCustomTreeView;
class TTreeNode;

// Draws the selection as the control's rules say: hidden while unfocused with
// HideSelection, else outlined with the hidden pen when unfocused. Runs
// OnCustomDrawItem first, and edits labels in their editing form.
class TreeNodeDelegate : public QStyledItemDelegate {
  public:
    TreeNodeDelegate(TRzCustomTreeView* owner, QObject* parent)
        : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

    // An edited caption is taken only when the control accepts it.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  private:
    TTreeNode* NodeOf(const QModelIndex& index) const;
    // Runs OnCustomDrawItem; false when the handler skipped the default drawing.
    bool DefaultDrawWanted(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const;

    TRzCustomTreeView* owner_;
};
