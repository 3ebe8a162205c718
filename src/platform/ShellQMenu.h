#pragma once

#include "platform/ShellMenu.h"

class QAction;
class QMenu;

// Shows a TShellMenu as a QMenu: each entry becomes an action carrying its
// command id, the default entry the menu's default action (drawn bold),
// submenus QMenus of their own; disabled entries stay disabled; an entry
// with an image index is drawn with that small system image. The Send To
// placeholder's action carries the property "sendToPlaceholder", so the
// control that shows the menu finds the submenu to fill.
void FillQMenu(QMenu& menu, const TShellMenu& shellMenu);

// The command id of a chosen action; 0 for none (the menu was dismissed) and
// for actions without one.
UINT CommandOf(const QAction* action);
