#include "shell/ShellShortcuts.h"

namespace {

struct TShortcutEntry {
    int Key;
    Qt::KeyboardModifiers Modifiers;
    TShellShortcut Action;
};

const TShortcutEntry kShortcuts[] = {
    {Qt::Key_A, Qt::ControlModifier, TShellShortcut::SelectAll},
    {Qt::Key_F5, Qt::NoModifier, TShellShortcut::Refresh},
    {Qt::Key_C, Qt::ControlModifier, TShellShortcut::Copy},
    {Qt::Key_X, Qt::ControlModifier, TShellShortcut::Cut},
    {Qt::Key_V, Qt::ControlModifier, TShellShortcut::Paste},
    {Qt::Key_F2, Qt::NoModifier, TShellShortcut::Rename},
    {Qt::Key_Delete, Qt::NoModifier, TShellShortcut::Delete},
};

}  // namespace

TShellShortcut ShellShortcutOf(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (key == Qt::Key_Delete && modifiers == Qt::ShiftModifier)
        modifiers = Qt::NoModifier;
    for (const TShortcutEntry& entry : kShortcuts)
        if (entry.Key == key && entry.Modifiers == modifiers)
            return entry.Action;
    return TShellShortcut::None;
}
