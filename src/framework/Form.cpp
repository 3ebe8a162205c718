#include "framework/Form.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
}

void TCustomForm::SetWindowState(TWindowState state) {
    windowState_ = state;
    static constexpr Qt::WindowState kStates[] = {Qt::WindowNoState, Qt::WindowMinimized,
                                                  Qt::WindowMaximized};
    Widget()->setWindowState(kStates[state]);
}

void TCustomForm::Show() {
    SetVisible(true);
    KeepOnScreen();
    Widget()->show();
}

// A window placed or sized for a larger screen would open with its bottom or
// right part out of reach (a window manager may not move it): it is moved in,
// and shrunk when the screen is too small. Until the window manager has framed
// the window, room is kept for a frame of the usual size.
void TCustomForm::KeepOnScreen() {
    QScreen* screen = QGuiApplication::screenAt(QPoint(Left(), Top()));
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    constexpr QMargins kUsualFrame(4, 28, 4, 4);
    const QWidget* window = Widget();
    const QRect framed = window->frameGeometry();
    const QMargins frame = framed == window->geometry()
                               ? kUsualFrame
                               : QMargins(window->geometry().left() - framed.left(),
                                          window->geometry().top() - framed.top(),
                                          framed.right() - window->geometry().right(),
                                          framed.bottom() - window->geometry().bottom());
    const QRect fitted = FitWindow(QRect(Left(), Top(), Width(), Height()), frame,
                                   window->minimumSize(), screen->availableGeometry());
    if (fitted == QRect(Left(), Top(), Width(), Height()))
        return;
    SetBounds(fitted.left(), fitted.top(), fitted.width(), fitted.height());
    Widget()->move(fitted.topLeft());  // the frame's corner goes there, not the client's
}

QRect FitWindow(const QRect& wanted, const QMargins& frame, const QSize& minimum,
                const QRect& area) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const int width =
        std::max(minimum.width(), std::min(wanted.width(), area.width() - frameWidth));
    const int height =
        std::max(minimum.height(), std::min(wanted.height(), area.height() - frameHeight));
    const int left =
        std::max(area.left(), std::min(wanted.left(), area.right() + 1 - width - frameWidth));
    const int top =
        std::max(area.top(), std::min(wanted.top(), area.bottom() + 1 - height - frameHeight));
    return QRect(left, top, width, height);
}

void TCustomForm::SystemCommand(unsigned command) {
    QWindow* window = Widget()->windowHandle();
    if (command == SC_SIZE + WMSZ_BOTTOMRIGHT && window != nullptr)
        window->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
}

TCustomForm* GetParentForm(TControl* control) {
    while (control != nullptr) {
        if (auto* form = dynamic_cast<TCustomForm*>(control))
            return form;
        control = control->Parent();
    }
    return nullptr;
}

namespace {

TWinControl* FindWindowed(const TWinControl* parent, const QWidget* widget) {
    for (TControl* child : parent->Controls()) {
        if (!child->IsWindowed())
            continue;
        auto* windowed = static_cast<TWinControl*>(child);
        // A control may hand its focus to a Qt widget of its own (a tree view).
        if (windowed->Widget() == widget || windowed->Widget()->focusProxy() == widget)
            return windowed;
        if (TWinControl* found = FindWindowed(windowed, widget))
            return found;
    }
    return nullptr;
}

}  // namespace

// The focus child Qt keeps for the window, which holds also while the window
// is not the active one.
TWinControl* TCustomForm::ActiveControl() const {
    QWidget* focus = Widget()->focusWidget();
    return focus != nullptr ? FindWindowed(this, focus) : nullptr;
}
