#pragma once

// Private to the list view: the bridge from its Qt views to the control.

#include <QObject>

#include "shell/DragGesture.h"

class QAbstractItemView;
class QMouseEvent;
class TRzCustomListView;

// Carries the views' signals and events to the list: header clicks and
// resizes, opening rows, focus and hover for the colour and frame states, the
// wheel, and drags of the selection (a right-button menu waits for the
// release, so that the right button can drag too).
class TListViewHost final : public QObject {
  public:
    explicit TListViewHost(TRzCustomListView* owner) : owner_(owner) {}

    void Watch(QAbstractItemView* view);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The view whose viewport `watched` is; null for the views themselves.
    QAbstractItemView* ViewOfViewport(QObject* watched) const;
    void Pressed(QObject* watched, const QMouseEvent& press);
    // Moves with a pressed button over a selected row belong to a possible
    // drag, not to the view's drag selection.
    bool Moved(QObject* watched, const QMouseEvent& move);

    TRzCustomListView* owner_;
    TDragGesture gesture_;
};
