#pragma once

// Private to the list view: the Qt views that show its rows and the cell
// painters they draw with.

#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "shell/ListItemModel.h"

class TRzCustomListView;

// The large-icon grid: a cell's width, and the gap between cells.
constexpr int kIconCellWidth = 80;
constexpr int kIconGridGap = 4;

// A Qt view that tells whether a label editor is open, and opens one only
// for a row whose label may be edited. While another style shows, the
// hidden view follows the shared current row and selection without telling
// assistive tools of them: the toolkit's views report them shown or not,
// and its tree view reports each move as the keyboard focus. While there are
// no rows, the view shows its empty text (why the folder shows nothing)
// centred, and tells it to assistive tools as its description.
template <class View>
class TEditAwareView : public View {
  public:
    using View::View;
    bool Editing() const { return this->state() == QAbstractItemView::EditingState; }
    void SetEmptyText(const QString& text) {
        emptyText_ = text;
        this->setAccessibleDescription(text);
        this->viewport()->update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        View::paintEvent(event);
        if (emptyText_.isEmpty() || this->model() == nullptr || this->model()->rowCount() > 0)
            return;
        QPainter painter(this->viewport());
        painter.setPen(this->palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(this->viewport()->rect().adjusted(8, 8, -8, -8),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, emptyText_);
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        if (this->isVisible())
            View::currentChanged(current, previous);
        else
            this->QAbstractItemView::currentChanged(current, previous);
    }
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override {
        if (this->isVisible())
            View::selectionChanged(selected, deselected);
        else
            this->QAbstractItemView::selectionChanged(selected, deselected);
    }
    bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger,
              QEvent* event) override {
        const bool opens =
            trigger == QAbstractItemView::AllEditTriggers || (this->editTriggers() & trigger);
        if (opens && index.isValid() &&
            !static_cast<const TListItemModel*>(index.model())->RowEditable(index.row()))
            return false;
        return View::edit(index, trigger, event);
    }

  private:
    QString emptyText_;
};

// Whether a label editor is open in one of the list's views.
bool ViewEditing(QAbstractItemView* view);
// Sets the text one of the list's views shows while it has no rows.
void SetViewEmptyText(QAbstractItemView* view, const QString& text);

// Report cells: grid lines on request, and without row select only the
// first column shows the selection.
class TReportDelegate final : public QStyledItemDelegate {
  public:
    explicit TReportDelegate(TRzCustomListView* owner) : owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    TRzCustomListView* owner_;
};

// Icon-view items: one fixed cell under the grid, so the view never measures
// rows one by one; in large icons the picture and its label are drawn here.
class TIconDelegate final : public QStyledItemDelegate {
  public:
    explicit TIconDelegate(TRzCustomListView* owner) : owner_(owner) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    void PaintWholeLabel(QPainter& painter, QStyleOptionViewItem cell,
                         const QModelIndex& index) const;

  private:
    TRzCustomListView* owner_;
};

// The view of the icon and list styles. In large icons the focused,
// selected item's whole label is drawn last, over the cells below it; a
// change of focus, selection or text repaints every cell, since that label
// reaches beyond its own.
class TIconView final : public TEditAwareView<QListView> {
  public:
    using TEditAwareView::TEditAwareView;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    // A big selection repaints the whole viewport: adding up the cells of
    // thousands of rows one by one costs far more than the paint.
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;

  private:
    void RepaintLabels();
};
