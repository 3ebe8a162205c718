#include "shell/DragGesture.h"

#include <QApplication>

void TDragGesture::Press(Qt::MouseButton button, QPoint at) {
    Cancel();
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    button_ = button;
    pressAt_ = at;
}

bool TDragGesture::Move(Qt::MouseButtons held, QPoint at) {
    if (!Watching())
        return false;
    if (!(held & button_)) {
        Cancel();
        return false;
    }
    if ((at - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return false;
    dragButton_ = button_ == Qt::RightButton ? 1 : 0;
    Cancel();
    return true;
}

bool TDragGesture::DeferMenu(QPoint at) {
    if (button_ != Qt::RightButton)
        return false;
    menuAt_ = at;
    return true;
}

std::optional<QPoint> TDragGesture::Release(Qt::MouseButton button) {
    if (button != button_)
        return std::nullopt;
    std::optional<QPoint> menu = menuAt_;
    Cancel();
    return menu;
}

void TDragGesture::Cancel() {
    button_ = Qt::NoButton;
    menuAt_.reset();
}
