#include "platform/ShellMenu.h"

#include <algorithm>

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

void TShellMenu::RemoveSendTo() {
    TShellMenu* sendTo = SendToMenu();
    if (sendTo == nullptr || sendTo == this)
        return;
    for (auto it = Items.begin(); it != Items.end(); ++it) {
        if (it->SubMenu.get() == sendTo) {
            Items.erase(it);
            break;
        }
        if (it->SubMenu)
            it->SubMenu->RemoveSendTo();
    }
    auto doubled = [](const TShellMenuItem& a, const TShellMenuItem& b) {
        return a.Separator && b.Separator;
    };
    Items.erase(std::unique(Items.begin(), Items.end(), doubled), Items.end());
    if (!Items.empty() && Items.front().Separator)
        Items.erase(Items.begin());
    if (!Items.empty() && Items.back().Separator)
        Items.pop_back();
}
