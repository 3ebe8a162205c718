#pragma once

#include <functional>

// The window program needs a display. When the window system's platform
// cannot start (no display set, a display that does not answer, no plugin
// for it) Qt ends the process with an abort and a page of advice; the
// program instead prints one line, "kadrimarkexif: cannot open the display
// ...", and exits with status 1.
//
// Runs `start` (the construction of the application object) so that such a
// failure ends the process that way. Qt's messages of the start are held
// back meanwhile and passed on when the start succeeds.
void StartOrExit(const std::function<void()>& start);
