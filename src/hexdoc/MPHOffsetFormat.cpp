#include "hexdoc/MPHOffsetFormat.h"

#include <algorithm>
#include <cstdint>

#include "hexdoc/MPHexEditorError.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A run of hexadecimal digits at the start of `text`: its value (held at
// 2^31 - 1 so that a long run cannot overflow) and its length.
struct HexRun {
    std::int64_t Value = 0;
    std::size_t Length = 0;
};

HexRun ReadHexRun(const std::string& text, std::size_t at) {
    HexRun run;
    for (std::size_t i = at; i < text.size() && HexValue(text[i]) >= 0; ++i) {
        run.Value = std::min<std::int64_t>(run.Value * 16 + HexValue(text[i]), INT32_MAX);
        ++run.Length;
    }
    return run;
}

char At(const std::string& text, std::size_t at) {
    return at < text.size() ? text[at] : '\0';
}

bool StartsWithPair(const std::string& text, std::size_t at, char letter, char second) {
    return (At(text, at) | 0x20) == (letter | 0x20) && At(text, at + 1) == second;
}

[[noreturn]] void MissingChar(const std::string& what) {
    throw EMPHexEditor(FormatMPHMessage(mphmsg::kMissingFormatChar, what));
}

// The unit part; returns where the text goes on.
std::size_t ParseUnit(const std::string& text, TMPHOffsetFormat& format) {
    if (StartsWithPair(text, 0, 'R', '%')) {
        format.Flags |= TMPHOffsetFormat::kUnitBytesPerRow;
        return 2;
    }
    if (StartsWithPair(text, 0, 'C', '%')) {
        format.Flags |= TMPHOffsetFormat::kUnitBytesPerColumn;
        return 2;
    }
    HexRun run = ReadHexRun(text, 0);
    if (run.Length > 0 && At(text, run.Length) == '%') {
        format.Unit = static_cast<int>(run.Value);
        if (format.Unit != 1 && format.Unit != 2 && format.Unit != 4 && format.Unit != 8)
            throw EMPHexEditor(FormatMPHMessage(mphmsg::kInvalidBytesPerUnit, format.Unit));
        return run.Length + 1;
    }
    format.Flags |= TMPHOffsetFormat::kUnitRulerBytesPerUnit;
    return run.Length == 0 && At(text, 0) == '%' ? 1 : 0;
}

std::size_t ParseWidth(const std::string& text, std::size_t at, TMPHOffsetFormat& format) {
    format.MinDigits = 1;
    if (At(text, at) == '-' && At(text, at + 1) == '!') {
        format.Flags |= TMPHOffsetFormat::kAutoWidth;
        return at + 2;
    }
    HexRun run = ReadHexRun(text, at);
    if (At(text, at + run.Length) != '!')
        return at;
    if (run.Length > 0)
        format.MinDigits =
            static_cast<int>(std::min<std::int64_t>(run.Value, TMPHOffsetFormat::kMaxDigits));
    return at + run.Length + 1;
}

std::size_t ParseRadix(const std::string& text, std::size_t at, TMPHOffsetFormat& format) {
    HexRun run = ReadHexRun(text, at);
    if (run.Length == 0)
        MissingChar("number radix");
    if (At(text, at + run.Length) != ':')
        MissingChar(":");
    if (run.Value < 2 || run.Value > 16)
        throw EMPHexEditor(FormatMPHMessage(mphmsg::kInvalidRadix, run.Value));
    format.Radix = static_cast<int>(run.Value);
    return at + run.Length + 1;
}

}  // namespace

TMPHOffsetFormat TMPHOffsetFormat::Parse(const std::string& text) {
    TMPHOffsetFormat format;
    std::size_t at = ParseUnit(text, format);
    at = ParseWidth(text, at, format);
    at = ParseRadix(text, at, format);
    auto bar = text.find('|', at);
    if (bar == std::string::npos)
        MissingChar("|");
    format.Prefix = text.substr(at, bar - at);
    format.Suffix = text.substr(bar + 1);
    return format;
}

std::string TMPHOffsetFormat::Format(std::int64_t position, int unit, bool lowerCase) const {
    const char* digitChars = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::uint64_t value =
        static_cast<std::uint64_t>(position) / static_cast<unsigned>(std::max(1, unit));
    std::string digits;
    for (; value > 0; value /= static_cast<unsigned>(Radix))
        digits.insert(digits.begin(), digitChars[value % static_cast<unsigned>(Radix)]);
    if (static_cast<int>(digits.size()) < MinDigits)
        digits.insert(0, static_cast<std::size_t>(MinDigits) - digits.size(), '0');
    return Prefix + digits + Suffix;
}

int TMPHOffsetFormat::DigitCount(std::int64_t position, int unit) const {
    std::uint64_t value =
        static_cast<std::uint64_t>(position) / static_cast<unsigned>(std::max(1, unit));
    int count = 1;
    for (; value >= static_cast<unsigned>(Radix); value /= static_cast<unsigned>(Radix))
        ++count;
    return count;
}
