#pragma once

#include "platform/ShellMenu.h"

// The right-button drop menu: "Copy Here", "Move Here", "Create Link Here"
// for the allowed effects (command id = the DROPEFFECT_* value, the suggested
// one the default), then "Cancel" (kCancelDropCommand).
constexpr UINT kCancelDropCommand = 0x100;
TShellMenu DropMenu(DWORD allowed, DWORD suggested);
