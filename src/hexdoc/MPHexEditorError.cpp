#include "hexdoc/MPHexEditorError.h"

#include <cstdio>

namespace {

std::string FillSlot(const std::string& message, const std::string& value) {
    auto slot = message.find('%');
    if (slot == std::string::npos || slot + 1 >= message.size())
        return message;
    return message.substr(0, slot) + value + message.substr(slot + 2);
}

}  // namespace

std::string FormatMPHMessage(const char* message, long long number) {
    std::string text(message);
    auto slot = text.find('%');
    bool hex = slot != std::string::npos && slot + 1 < text.size() && text[slot + 1] == 'x';
    char digits[32];
    std::snprintf(digits, sizeof digits, hex ? "%llX" : "%lld", number);
    return FillSlot(text, digits);
}

std::string FormatMPHMessage(const char* message, const std::string& text) {
    return FillSlot(message, text);
}
