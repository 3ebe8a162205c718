#include "platform/DropMenu.h"

TShellMenu DropMenu(DWORD allowed, DWORD suggested) {
    constexpr struct {
        DWORD effect;
        const char* caption;
    } kChoices[] = {{DROPEFFECT_COPY, "&Copy Here"},
                    {DROPEFFECT_MOVE, "&Move Here"},
                    {DROPEFFECT_LINK, "Create &Link Here"}};
    TShellMenu menu;
    for (const auto& choice : kChoices)
        if (allowed & choice.effect)
            menu.Items.push_back(
                MenuCommand(choice.effect, choice.caption, choice.effect == suggested));
    menu.Items.push_back(MenuSeparator());
    menu.Items.push_back(MenuCommand(kCancelDropCommand, "Cancel"));
    return menu;
}
