#include "shell/SortHeader.h"

#include <QPainter>

#include "chrome/Frame.h"
#include "framework/Canvas.h"
#include "shell/HeaderSortArrow.h"
#include "shell/RzListView.h"

TSortHeader::TSortHeader(TRzCustomListView* owner) : QHeaderView(Qt::Horizontal), owner_(owner) {
    setStretchLastSection(false);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TSortHeader::paintSection(QPainter* painter, const QRect& rect, int section) const {
    if (owner_->HeaderSortDisplayMode() == hsdmNone || section >= owner_->ColumnCount())
        return QHeaderView::paintSection(painter, rect, section);
    painter->save();
    painter->translate(rect.topLeft());
    painter->setClipRect(0, 0, rect.width(), rect.height());
    TCanvas canvas(*painter);
    const TRect item = Rect(0, 0, rect.width(), rect.height());
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(item);
    DrawFrameStyle(canvas, item, fsPopup, sdAllSides);
    const TListColumn& column = owner_->Column(section);
    THeaderItemFacts facts;
    facts.Mode = owner_->HeaderSortDisplayMode();
    facts.Alignment = column.Alignment;
    facts.IsSortColumn = section == owner_->HeaderSortColumn();
    facts.ItemWidth = rect.width();
    facts.TextRect = Rect(4, 0, rect.width() - 4, rect.height());
    const QString caption = QString::fromStdString(column.Caption);
    facts.TextWidth = fontMetrics().horizontalAdvance(
        fontMetrics().elidedText(caption, Qt::ElideRight, facts.TextRect.Width()));
    THeaderItemLayout layout = LayoutHeaderItem(facts);
    const TRect& text = layout.TextRect;
    const Qt::Alignment align = column.Alignment == caRight    ? Qt::AlignRight
                                : column.Alignment == caCenter ? Qt::AlignHCenter
                                                               : Qt::AlignLeft;
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(QRect(text.Left, text.Top, text.Width(), text.Height()),
                      align | Qt::AlignVCenter | Qt::TextSingleLine,
                      fontMetrics().elidedText(caption, Qt::ElideRight, text.Width()));
    if (layout.HasArrow)
        DrawSortArrow(canvas, layout.ArrowBox, owner_->HeaderSortAscending());
    painter->restore();
}
