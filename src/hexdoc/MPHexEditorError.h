#pragma once

#include <string>

#include "framework/Exception.h"

// The byte document's own failures. The texts are the component's messages;
// those with a %d, %s or %xh slot are filled by the caller.
class EMPHexEditor : public Exception {
  public:
    using Exception::Exception;
};

namespace mphmsg {
inline constexpr const char* kOutOfBounds = "Data position/length out of data bounds";
inline constexpr const char* kCannotUpdateUndo = "Cannot update undo storage";
inline constexpr const char* kOperationCancelled = "Operation Cancelled";
inline constexpr const char* kInvalidBytesPerUnit =
    "Invalid bytes per unit value %d, allowed: 1,2,4,8";
inline constexpr const char* kMissingFormatChar = "Missing char in offset format: %s";
inline constexpr const char* kInvalidRadix =
    "Invalid radix in offset format (%xh), allowed: 02h..10h";
inline constexpr const char* kInvalidBytesPerLine = "Invalid bytes per line argument";
inline constexpr const char* kInvalidBytesPerColumn = "Invalid bytes per column argument";
inline constexpr const char* kUnicodeBytesPerUnit = "BytesPerUnit must be set to 2 in unicode mode";
inline constexpr const char* kInvalidRulerBytesPerUnit =
    "Invalid ruler bytes per unit value %d, allowed: -1,1,2,4,8";
inline constexpr const char* kUnicodeTranslation = "Translations cannot be used in unicode mode";
inline constexpr const char* kUnicodeOddSize = "Cannot use unicode mode with odd-sized files";
inline constexpr const char* kInvalidBookmark = "Invalid bookmark index";
inline constexpr const char* kInvalidBookmarkBitmap =
    "Invalid bookmark bitmap (must be 10 x 200 px)";
inline constexpr const char* kInvalidSelStart = "Invalid selection start";
inline constexpr const char* kInvalidSelEnd = "Invalid selection end";
}  // namespace mphmsg

// A message with its one slot filled: %d takes a decimal number, %x an
// upper-case hexadecimal one (so "%xh" shows 17 as "11h"), %s a text.
std::string FormatMPHMessage(const char* message, long long number);
std::string FormatMPHMessage(const char* message, const std::string& text);
