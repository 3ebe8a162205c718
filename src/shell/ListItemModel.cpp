#include "shell/ListItemModel.h"

#include <QAbstractItemView>
#include <QPainter>

#include "framework/Canvas.h"
#include "shell/LabelText.h"
#include "shell/RzListView.h"

int TListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TListItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TListItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_)
        return {};
    TListItem& item = owner_->Item(index.row());
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return ReadableText(column == 0 ? owner_->ItemCaption(item)
                                            : owner_->ItemDetailText(item, column));
        case Qt::EditRole:
            return column == 0 ? ReadableText(owner_->ItemEditText(item)) : QVariant();
        case Qt::DecorationRole:
            if (column != 0)
                return {};
            if (owner_->ViewStyle() == vsIcon) {
                const QPixmap photo = owner_->ItemPhoto(item);
                if (!photo.isNull())
                    return QIcon(photo);
            }
            return Picture(owner_->ItemImage(item), item.OverlayIndex, item.Cut);
        case Qt::BackgroundRole:
            if (index.row() == owner_->DropHighlighted())
                return ToQColor(clHighlight);
            return {};
        case Qt::ForegroundRole:
            if (index.row() == owner_->DropHighlighted())
                return ToQColor(clHighlightText);
            if (item.Cut)
                return ToQColor(clGrayText);
            return {};
        case Qt::FontRole:
            if (column > 0 && owner_->ItemDetailNote(item, column).italic) {
                QFont font = owner_->ActiveView()->font();
                font.setItalic(true);
                return font;
            }
            return {};
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole: {
            if (column == 0)
                return {};
            const TCellNote note = owner_->ItemDetailNote(item, column);
            const std::string& text = role == Qt::ToolTipRole ? note.tip : note.description;
            return text.empty() ? QVariant() : QVariant(QString::fromStdString(text));
        }
        case Qt::TextAlignmentRole:
            if (column < owner_->ColumnCount() && owner_->ViewStyle() == vsReport)
                return QVariant::fromValue(
                    Qt::AlignVCenter |
                    (owner_->Column(column).Alignment == caRight    ? Qt::AlignRight
                     : owner_->Column(column).Alignment == caCenter ? Qt::AlignHCenter
                                                                    : Qt::AlignLeft));
            return {};
        default:
            return {};
    }
}

QVariant TListItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section >= owner_->ColumnCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(owner_->Column(section).Caption);
    return {};
}

Qt::ItemFlags TListItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Views ask this of every row at each layout, so it asks nothing of the
    // row: whether its label may really be edited is settled when an edit
    // starts (RowEditable, through the views).
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TListItemModel::RowEditable(int row) const {
    return row >= 0 && row < rows_ && owner_->CanEditLabel(owner_->Item(row));
}

bool TListItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || index.row() >= rows_)
        return false;
    TListItem& item = owner_->Item(index.row());
    std::string caption = EditedName(owner_->ItemEditText(item), value.toString());
    if (!owner_->ItemEdited(item, caption))
        return false;
    item.Caption = caption;
    emit dataChanged(index, index);
    return true;
}

void TListItemModel::AnnounceRows(int rows) {
    if (rows <= rows_)
        return;
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
}

void TListItemModel::RemoveRows(int first, int last, const std::function<void()>& erase) {
    beginRemoveRows({}, first, last);
    erase();
    rows_ -= last - first + 1;
    endRemoveRows();
}

void TListItemModel::Reorder(const std::vector<int>& newOrder,
                             const std::function<void()>& permute) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(newOrder.size());
    for (std::size_t row = 0; row < newOrder.size(); ++row)
        newRowOf[newOrder[row]] = static_cast<int>(row);
    QModelIndexList from = persistentIndexList(), to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
        to.append(index.row() < static_cast<int>(newRowOf.size())
                      ? createIndex(newRowOf[index.row()], index.column())
                      : index);
    permute();
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TListItemModel::SetColumnCount(int columns) {
    columns = std::max(columns, 1);
    if (columns > columns_) {
        beginInsertColumns({}, columns_, columns - 1);
        columns_ = columns;
        endInsertColumns();
    } else if (columns < columns_) {
        beginRemoveColumns({}, columns, columns_ - 1);
        columns_ = columns;
        endRemoveColumns();
    }
}

void TListItemModel::ColumnsRenamed() {
    emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

QIcon TListItemModel::Picture(int image, int overlay, bool dimmed) const {
    if (image < 0)
        return {};
    const std::uint64_t key =
        (std::uint64_t(dimmed) << 62) | (std::uint64_t(overlay + 1) << 32) | std::uint32_t(image);
    auto found = pictures_.find(key);
    if (found != pictures_.end())
        return found->second;
    QIcon icon;
    for (HIMAGELIST list : {owner_->SmallImages(), owner_->LargeImages()})
        if (list != nullptr)
            icon.addPixmap(Compose(list, image, overlay, dimmed));
    return pictures_[key] = icon;
}

QPixmap TListItemModel::Compose(HIMAGELIST list, int image, int overlay, bool dimmed) {
    QImage picture = list->Image(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return {};
    QPainter painter(&picture);
    if (overlay >= 0) {
        QImage mark = list->Image(list->OverlayImage(overlay + 1));
        if (!mark.isNull())
            painter.drawImage(0, 0, mark);
    }
    if (dimmed) {
        // A dimmed item keeps half of its picture's opacity.
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(picture.rect(), QColor(0, 0, 0, 128));
    }
    painter.end();
    return QPixmap::fromImage(picture);
}

void TListItemModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columns_ - 1));
}

void TListItemModel::ColumnChanged(int column) {
    if (rows_ > 0 && column < columns_)
        emit dataChanged(index(0, column), index(rows_ - 1, column));
}
