#pragma once

// Private to the list view: its report header.

#include <QHeaderView>

class TRzCustomListView;

// The report header: with a sort display mode other than none, every item is
// drawn here (caption and sort arrow placed as the mode says); with none the
// style draws plain items.
class TSortHeader final : public QHeaderView {
  public:
    explicit TSortHeader(TRzCustomListView* owner);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override;

  private:
    TRzCustomListView* owner_;
};
