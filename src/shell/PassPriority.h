#pragma once

#include <QObject>

// The priority of a view's requests for work done in the background: it rises
// once after each event-loop pass in which it was taken, so that what the view
// asks for now (the rows on the screen) outranks what it asked for a pass ago.
class TPassPriority {
  public:
    // The priority of a request made in this pass.
    int Take();

  private:
    QObject context_;  // of the timer that raises the priority
    int priority_ = 1;
    bool raiseScheduled_ = false;
};
