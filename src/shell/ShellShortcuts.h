#pragma once

#include <qnamespace.h>

// The shortcut keys the folder tree and the file list share. Shift+Del counts
// as Del; other modifiers must match exactly.
enum class TShellShortcut { None, SelectAll, Refresh, Copy, Cut, Paste, Rename, Delete };

TShellShortcut ShellShortcutOf(int key, Qt::KeyboardModifiers modifiers);
