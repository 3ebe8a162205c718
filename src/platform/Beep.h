#pragma once

#include "platform/Com.h"

// The system's short warning sound, rung when navigation cannot go on. Beeps
// are counted so that tests can tell that one was rung.
void MessageBeep(UINT type);

// Beeps rung since the program started.
long MessageBeepCount();
