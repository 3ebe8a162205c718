#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <QStyleOptionViewItem>

class QPainter;

// A cell of the large-icon view: the picture centred at its top and the name
// under it, wrapped onto at most two lines as the desktop's file lists do,
// the second ending in "…" when the name goes on. The focused item, when it
// is selected, shows its whole name over the cells below it.
//
// Every cell of the grid has the same size (IconCellSize), so the grid stays
// even whatever the names.

// The name's lines at most `width` pixels wide: broken at spaces where it
// can and anywhere in a word where it must. With maxLines > 0 the text left
// for the last line is elided with "…"; maxLines 0 gives every line.
QStringList IconLabelLines(const QString& name, const QFont& font, int width, int maxLines);

// The cell for pictures of `iconSize` and two lines of the font, `cellWidth`
// wide.
QSize IconCellSize(int cellWidth, QSize iconSize, const QFontMetrics& metrics);

// Draws the picture of `cell` (rect, icon, decorationSize, state).
void PaintIconPicture(QPainter& painter, const QStyleOptionViewItem& cell);

// Draws the label of `cell` (rect, text, font, palette, state) under the
// picture: maxLines as IconLabelLines, highlighted when selected, with a focus
// frame when it has the focus. A whole label (maxLines 0) covers what lies
// under it below the cell.
void PaintIconLabel(QPainter& painter, const QStyleOptionViewItem& cell, int maxLines);
