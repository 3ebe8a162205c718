#include "platform/ShellMenu.h"

TShellMenuItem MenuCommand(UINT id, std::string caption, bool isDefault) {
    TShellMenuItem item;
    item.Id = id;
    item.Caption = std::move(caption);
    item.Default = isDefault;
    return item;
}

TShellMenuItem MenuSeparator() {
    TShellMenuItem item;
    item.Separator = true;
    return item;
}

TShellMenuItem MenuPopup(std::string caption, std::shared_ptr<TShellMenu> subMenu) {
    TShellMenuItem item;
    item.Caption = std::move(caption);
    item.SubMenu = std::move(subMenu);
    return item;
}

int TShellMenu::DefaultId() const {
    for (const TShellMenuItem& item : Items)
        if (item.Default && item.Id != 0)
            return static_cast<int>(item.Id);
    return -1;
}

TShellMenu* TShellMenu::SendToMenu() {
    for (TShellMenuItem& item : Items) {
        if (item.SendToPlaceholder)
            return this;
        if (item.SubMenu)
            if (TShellMenu* found = item.SubMenu->SendToMenu())
                return found;
    }
    return nullptr;
}
