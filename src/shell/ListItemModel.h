#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QPixmap>
#include <functional>
#include <unordered_map>

class TRzCustomListView;
class TSystemImageList;

// The one item model behind every view of a list: a thin window onto the
// list's rows. Texts and icons are asked of the list only for rows a view
// shows; the list caches them in its records. Pictures are composed once per
// (image, overlay, dimmed) and kept.
class TListItemModel final : public QAbstractTableModel {
  public:
    explicit TListItemModel(TRzCustomListView* owner) : owner_(owner) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Whether the label of `row` may be edited now. ReadOnly only keeps
    // clicks from starting an edit (the views' triggers); an edit asked for
    // explicitly is allowed when the row allows it.
    bool RowEditable(int row) const;

    // Announces rows the list appended (rowCount grows to `rows`).
    void AnnounceRows(int rows);
    // Removes rows first..last; `erase` takes them out of the list meanwhile.
    void RemoveRows(int first, int last, const std::function<void()>& erase);
    // Reorders rows: newOrder[i] is the old row now at row i.
    void Reorder(const std::vector<int>& newOrder, const std::function<void()>& permute);
    void SetColumnCount(int columns);
    void ColumnsRenamed();
    // The row's look changed (drawn as a drop target, or no longer).
    void RowChanged(int row);
    // The texts of a column changed in any rows.
    void ColumnChanged(int column);
    // Pictures depend on the image lists: drop what was composed.
    void ForgetPictures() { pictures_.clear(); }

  private:
    // Both sizes of an item's picture in one icon; each view takes its own.
    QIcon Picture(int image, int overlay, bool dimmed) const;
    static QPixmap Compose(TSystemImageList* list, int image, int overlay, bool dimmed);

    TRzCustomListView* owner_;
    int rows_ = 0;
    int columns_ = 1;
    mutable std::unordered_map<std::uint64_t, QIcon> pictures_;
};
