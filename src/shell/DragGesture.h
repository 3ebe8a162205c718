#pragma once

#include <QPoint>
#include <optional>

// When a press of the left or the right mouse button becomes a drag: the
// pointer moves past the desktop's drag distance while that button is still
// held. While a right-button press may still become a drag, a context-menu
// request waits for the button's release, as menus come after the click; a
// drag that starts drops the request.
class TDragGesture {
  public:
    // A press at `at` on something that may be dragged; other buttons are not
    // watched.
    void Press(Qt::MouseButton button, QPoint at);
    // Whether a press is being watched: the moves belong to the gesture.
    bool Watching() const { return button_ != Qt::NoButton; }
    // The pointer moved with `held` buttons; true once, when the drag starts
    // (the gesture is then over).
    bool Move(Qt::MouseButtons held, QPoint at);
    // A context-menu request at `at`: true when it waits for the release.
    bool DeferMenu(QPoint at);
    // A button went up: the gesture ends; the point of a waiting menu that is
    // now due.
    std::optional<QPoint> Release(Qt::MouseButton button);
    void Cancel();

    // The drag's button as the drop source counts it: 0 left, 1 right.
    int DragButton() const { return dragButton_; }
    QPoint PressPoint() const { return pressAt_; }

  private:
    Qt::MouseButton button_ = Qt::NoButton;
    int dragButton_ = 0;
    QPoint pressAt_;
    std::optional<QPoint> menuAt_;
};
