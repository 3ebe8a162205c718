#pragma once

#include <string>

#include "platform/ItemContextMenu.h"

// What the folder tree and the file list share when they run the verbs of a
// folder's context menu.

// Command ids of the shell menus the controls show: an entry's offset counts
// from the first id; ids below it are the controls' own.
constexpr UINT kFirstMenuCommand = 1000;
constexpr UINT kLastMenuCommand = 32767;

// Runs a verb (its canonical text, or an offset made by MakeIntVerb); the
// menu reports its own failures to the person.
HRESULT InvokeMenuVerb(IContextMenu* menu, const char* verb);

// The help text of the menu entry with command id `id`; empty for none.
std::string MenuHelpText(IContextMenu* menu, UINT id);

// The command id of the entry of `entries` whose canonical verb is `verb`;
// 0 when the menu does not offer it.
UINT MenuCommandOfVerb(IContextMenu* menu, const TShellMenu& entries, const std::string& verb);
