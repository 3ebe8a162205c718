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
