#include "platform/DropMenu.h"

#include <QCoreApplication>

namespace {

std::string Translated(const char* text) {
    return QCoreApplication::translate("DropMenu", text).toStdString();
}

}  // namespace

TShellMenu DropMenu(DWORD allowed, DWORD suggested) {
    constexpr struct {
        DWORD effect;
        const char* caption;
    } kChoices[] = {{DROPEFFECT_COPY, QT_TRANSLATE_NOOP("DropMenu", "&Copy Here")},
                    {DROPEFFECT_MOVE, QT_TRANSLATE_NOOP("DropMenu", "&Move Here")},
                    {DROPEFFECT_LINK, QT_TRANSLATE_NOOP("DropMenu", "Create &Link Here")}};
    TShellMenu menu;
    for (const auto& choice : kChoices)
        if (allowed & choice.effect)
            menu.Items.push_back(
                MenuCommand(choice.effect, Translated(choice.caption), choice.effect == suggested));
    menu.Items.push_back(MenuSeparator());
    menu.Items.push_back(
        MenuCommand(kCancelDropCommand, Translated(QT_TRANSLATE_NOOP("DropMenu", "Cancel"))));
    return menu;
}
