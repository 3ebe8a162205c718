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

// A window placed for a larger screen would open with its bottom or right
// part out of reach (a window manager may not move it): it is moved in, its
// size kept, its top-left corner always on the screen.
void TCustomForm::KeepOnScreen() {
    QScreen* screen = QGuiApplication::screenAt(QPoint(Left(), Top()));
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const int left = std::max(area.left(), std::min(Left(), area.right() + 1 - Width()));
    const int top = std::max(area.top(), std::min(Top(), area.bottom() + 1 - Height()));
    if (left != Left() || top != Top())
        SetBounds(left, top, Width(), Height());
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
