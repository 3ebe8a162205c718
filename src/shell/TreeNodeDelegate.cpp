#include "shell/TreeNodeDelegate.h"

#include <QLineEdit>
#include <QPainter>

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "shell/LabelText.h"
#include "shell/RzTreeView.h"
#include "shell/TreeViewWidget.h"

void TreeNodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (owner_->OnCustomDrawItem && !DefaultDrawWanted(painter, option, index))
        return;
    QStyleOptionViewItem opt(option);
    bool unfocusedSelection = (opt.state & QStyle::State_Selected) && !owner_->Focused();
    if (unfocusedSelection && owner_->HideSelection())
        opt.state &= ~QStyle::State_Selected;
    // The target of a drag shows as selected whatever has the focus.
    const bool dropTarget =
        owner_->DropTarget() != nullptr &&
        owner_->DropTarget() == static_cast<TreeViewWidget*>(parent())->itemFromIndex(index);
    if (dropTarget)
        opt.state |= QStyle::State_Selected | QStyle::State_Active;
    QStyledItemDelegate::paint(painter, opt, index);
    if (!unfocusedSelection || owner_->HideSelection() || dropTarget)
        return;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QRect text = widget->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    painter->save();
    painter->setPen(QPen(ToQColor(clBtnShadow), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(text.adjusted(0, 0, -1, -1));
    painter->restore();
}

void TreeNodeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    TTreeNode* node = NodeOf(index);
    if (line == nullptr || node == nullptr)
        return QStyledItemDelegate::setEditorData(editor, index);
    std::string name;
    Application->HandleExceptions([&] { name = owner_->NodeEditText(node); });
    line->setText(ReadableText(name));
}

void TreeNodeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    TTreeNode* node = NodeOf(index);
    if (line == nullptr || node == nullptr)
        return QStyledItemDelegate::setModelData(editor, model, index);
    bool accepted = false;
    std::string caption;
    // While the disk is asked and a refusal is shown, the row shows the
    // node's name as it is, not the name typed.
    const QString typed = line->text();
    line->hide();
    Application->HandleExceptions([&] {
        caption = EditedName(owner_->NodeEditText(node), typed);
        accepted = owner_->NodeEdited(node, caption);
    });
    if (accepted)
        node->setText(0, ReadableText(caption));
}

TTreeNode* TreeNodeDelegate::NodeOf(const QModelIndex& index) const {
    return static_cast<TTreeNode*>(static_cast<TreeViewWidget*>(parent())->itemFromIndex(index));
}

bool TreeNodeDelegate::DefaultDrawWanted(QPainter* painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    TTreeNode* node = NodeOf(index);
    TCustomDrawState state = 0;
    if (option.state & QStyle::State_Selected)
        state |= cdsSelected;
    if (option.state & QStyle::State_HasFocus)
        state |= cdsFocused;
    if (option.state & QStyle::State_MouseOver)
        state |= cdsHot;
    if (!(option.state & QStyle::State_Enabled))
        state |= cdsDisabled;
    TCanvas canvas(*painter);
    TTVCustomDrawItemEvent handler = owner_->OnCustomDrawItem;
    return owner_->CustomDraw(canvas, [&](bool& draw) { handler(owner_, node, state, draw); });
}
