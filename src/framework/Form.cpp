#include "framework/Form.h"

#include <QWidget>
#include <QWindow>

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
    Widget()->show();
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
