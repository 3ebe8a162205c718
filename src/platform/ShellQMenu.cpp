#include "platform/ShellQMenu.h"

#include <QMenu>
#include <QPixmap>

#include "platform/SystemImageList.h"

void FillQMenu(QMenu& menu, const TShellMenu& shellMenu) {
    for (const TShellMenuItem& item : shellMenu.Items) {
        if (item.Separator) {
            menu.addSeparator();
            continue;
        }
        QString caption = QString::fromStdString(item.Caption);
        QAction* action = nullptr;
        if (item.SubMenu) {
            QMenu* subMenu = menu.addMenu(caption);
            FillQMenu(*subMenu, *item.SubMenu);
            action = subMenu->menuAction();
        } else {
            action = menu.addAction(caption);
            action->setData(item.Id);
        }
        if (item.ImageIndex >= 0)
            action->setIcon(QPixmap::fromImage(SystemImageListOf(true)->Image(item.ImageIndex)));
        action->setEnabled(item.Enabled);
        action->setProperty("sendToPlaceholder", item.SendToPlaceholder);
        if (item.Default)
            menu.setDefaultAction(action);
    }
}

UINT CommandOf(const QAction* action) {
    return action != nullptr ? action->data().toUInt() : 0;
}
