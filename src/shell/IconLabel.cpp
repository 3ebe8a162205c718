#include "shell/IconLabel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int kPictureTop = 2;    // above the picture, and below the label
constexpr int kLabelGap = 2;      // between picture and label
constexpr int kLabelPadding = 2;  // the highlight left and right of the text
constexpr int kLabelLeading = 1;  // the highlight above and below the text
constexpr int kLabelInset = kLabelPadding + 1;

QRect PictureRect(const QStyleOptionViewItem& cell) {
    const QSize size = cell.decorationSize;
    return QRect(cell.rect.left() + (cell.rect.width() - size.width()) / 2,
                 cell.rect.top() + kPictureTop, size.width(), size.height());
}

QString WithoutTrailingSpaces(QString line) {
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return line;
}

QPalette::ColorGroup GroupOf(QStyle::State state) {
    if (!(state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
}

void PaintFocusFrame(QPainter& painter, const QStyleOptionViewItem& cell, const QRect& box) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(cell);
    focus.rect = box;
    focus.state |= QStyle::State_KeyboardFocusChange;
    focus.backgroundColor = cell.palette.color(GroupOf(cell.state), QPalette::Highlight);
    QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, cell.widget);
}

}  // namespace

QStringList IconLabelLines(const QString& name, const QFont& font, int width, int maxLines) {
    QStringList lines;
    if (name.isEmpty() || width <= 0)
        return lines;
    QTextLayout layout(name, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (maxLines > 0 && lines.size() == maxLines - 1) {
            lines << QFontMetrics(font).elidedText(name.mid(line.textStart()), Qt::ElideRight,
                                                   width);
            break;
        }
        lines << WithoutTrailingSpaces(name.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines;
}

QSize IconCellSize(int cellWidth, QSize iconSize, const QFontMetrics& metrics) {
    return QSize(cellWidth, kPictureTop + iconSize.height() + kLabelGap +
                                2 * metrics.lineSpacing() + 2 * kLabelLeading + kPictureTop);
}

void PaintIconPicture(QPainter& painter, const QStyleOptionViewItem& cell) {
    const QIcon::Mode mode = !(cell.state & QStyle::State_Enabled) ? QIcon::Disabled
                             : cell.state & QStyle::State_Selected ? QIcon::Selected
                                                                   : QIcon::Normal;
    cell.icon.paint(&painter, PictureRect(cell), Qt::AlignCenter, mode);
}

void PaintIconLabel(QPainter& painter, const QStyleOptionViewItem& cell, int maxLines) {
    const QStringList lines =
        IconLabelLines(cell.text, cell.font, cell.rect.width() - 2 * kLabelInset, maxLines);
    if (lines.isEmpty())
        return;
    const QFontMetrics metrics(cell.font);
    int textWidth = 0;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    const int lineHeight = metrics.lineSpacing();
    const int boxWidth = textWidth + 2 * kLabelPadding;
    const QRect box(cell.rect.left() + (cell.rect.width() - boxWidth) / 2,
                    PictureRect(cell).bottom() + 1 + kLabelGap, boxWidth,
                    static_cast<int>(lines.size()) * lineHeight + 2 * kLabelLeading);

    const QPalette::ColorGroup group = GroupOf(cell.state);
    const bool selected = cell.state & QStyle::State_Selected;
    if (selected)
        painter.fillRect(box, cell.palette.brush(group, QPalette::Highlight));
    else if (maxLines == 0)
        painter.fillRect(box, cell.palette.brush(group, QPalette::Base));
    painter.save();
    painter.setFont(cell.font);
    painter.setPen(
        cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    int top = box.top() + kLabelLeading;
    for (const QString& line : lines) {
        painter.drawText(QRect(box.left(), top, box.width(), lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, line);
        top += lineHeight;
    }
    painter.restore();
    if (cell.state & QStyle::State_HasFocus)
        PaintFocusFrame(painter, cell, box);
}
