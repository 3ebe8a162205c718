#include "shell/ListAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QItemSelectionModel>
#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <vector>

#include "shell/RzListView.h"

namespace {

// One row of the list, read in the column the view shows.
class ListItemAccessible : public QAccessibleInterface {
  public:
    ListItemAccessible(QListView* view, const QModelIndex& index) : view_(view), index_(index) {}

    int Row() const { return isValid() ? index_.row() : -1; }

    bool isValid() const override { return !view_.isNull() && index_.isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        QAccessibleInterface* list = parent();
        return list != nullptr ? list->window() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        return isValid() && t == QAccessible::Name ? index_.data(Qt::DisplayRole).toString()
                                                   : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        return view_->visualRect(index_).translated(view_->viewport()->mapToGlobal(QPoint()));
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

  private:
    QPointer<QListView> view_;
    QPersistentModelIndex index_;
};

// Focused only while the list has the keyboard; invisible outside the
// view's scrolled area.
QAccessible::State ListItemAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.multiSelectable = view_->selectionMode() != QAbstractItemView::SingleSelection;
    state.focusable = true;
    state.selected = view_->selectionModel()->isSelected(index_);
    state.focused = view_->hasFocus() && view_->currentIndex().row() == index_.row();
    state.invisible =
        !view_->isVisible() || !view_->viewport()->rect().intersects(view_->visualRect(index_));
    return state;
}

// The list view: its rows are its children, in model order (the order the
// view reports its focus and selection in). A row's interface is made when
// first asked for and replaced once its row moved on.
class ListViewAccessible : public QAccessibleWidget {
  public:
    explicit ListViewAccessible(QListView* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~ListViewAccessible() override {
        for (QAccessible::Id id : rows_)
            if (id != 0)
                QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        const QAbstractItemModel* model = View()->model();
        return model != nullptr ? model->rowCount(View()->rootIndex()) : 0;
    }
    QAccessibleInterface* child(int row) const override {
        return row >= 0 && row < childCount() ? Row(row) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* item = dynamic_cast<const ListItemAccessible*>(child);
        return item != nullptr && item->parent() == this ? item->Row() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QModelIndex index = View()->indexAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? Row(index.row()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = View()->currentIndex();
        return View()->hasFocus() && current.isValid() ? Row(current.row()) : nullptr;
    }

  private:
    QListView* View() const { return static_cast<QListView*>(widget()); }
    QAccessibleInterface* Row(int row) const;

    mutable std::vector<QAccessible::Id> rows_;
};

QAccessibleInterface* ListViewAccessible::Row(int row) const {
    if (row >= static_cast<int>(rows_.size()))
        rows_.resize(row + 1, 0);
    QAccessible::Id& id = rows_[row];
    if (id != 0) {
        auto* known = dynamic_cast<ListItemAccessible*>(QAccessible::accessibleInterface(id));
        if (known != nullptr && known->Row() == row)
            return known;
        QAccessible::deleteAccessibleInterface(id);
    }
    const QModelIndex index =
        View()->model()->index(row, View()->modelColumn(), View()->rootIndex());
    auto* item = new ListItemAccessible(View(), index);
    id = QAccessible::registerAccessibleInterface(item);
    return item;
}

// The list views of our file lists; the report style keeps the toolkit's
// reading of a tree of rows and cells.
QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* view = qobject_cast<QListView*>(object);
    if (view == nullptr ||
        dynamic_cast<TRzCustomListView*>(TWinControl::FromWidget(view->parentWidget())) == nullptr)
        return nullptr;
    return new ListViewAccessible(view);
}

}  // namespace

void InstallListAccessibility() {
    QAccessible::installFactory(Factory);
}
