#pragma once

#include "platform/ShellPrompts.h"

// The prompts a person answers: message boxes for confirmations, name clashes,
// properties and errors, a popup menu for the right-button drop, and the
// desktop's services to open items and start programs. Without the widget
// application (a command-line run) every question gets its careful answer (no,
// skip, cancel) and errors go to standard error. One per process, never freed.
IShellPrompts& DialogPrompts();
