#pragma once

#include <string>

// The camera phone names its photos after the moment of the shot:
// DD-MM-YY_HHMM followed by anything (the extension). Character positions
// below are 1-based, c1 to c13.

// True when the name has that form: '-' at c3 and c6, '_' at c9, and digits
// everywhere else up to c13 that make a real moment of the years 2000-2099
// (month 01-12, a day that exists in that month, hour 00-23, minute 00-59).
// Names shorter than 13 characters never pass.
bool IsPhotoName(const std::string& name);

// The EXIF date text for such a name, without its terminating NUL:
// "20" c7 c8 ":" c4 c5 ":" c1 c2 " " c10 c11 ":" c12 c13 ":00" (19 bytes).
// REQUIRES: IsPhotoName(name).
std::string PhotoDateText(const std::string& name);
