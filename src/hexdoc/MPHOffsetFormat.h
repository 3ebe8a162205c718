#pragma once

// How the offset column writes a position. The format text reads
//   [unit part] [width part] radix ":" prefix "|" suffix
// unit part:  "R%" (the grid's bytes per row), "C%" (bytes per column),
//             hex digits + "%" (that many bytes, 1, 2, 4 or 8), "%" alone or
//             nothing (the ruler's bytes per unit);
// width part: "-!" (automatic: every offset as wide as the largest shown),
//             hex digits + "!" (that minimum digit count), "!" alone or
//             nothing (1);
// radix:      hex digits, 2 to 16 (hex "10" is 16).
// Every number in the format is written in hexadecimal. "-!10:0x|" writes
// 0x000 .. 0x120 for a 300-byte document at 16 bytes per row.

#include <cstdint>
#include <string>

struct TMPHOffsetFormat {
    enum Flag : std::uint8_t {
        kAutoWidth = 1,
        kUnitBytesPerRow = 2,
        kUnitBytesPerColumn = 4,
        kUnitRulerBytesPerUnit = 8,
    };

    std::uint8_t Flags = 0;
    int Radix = 16;
    int Unit = 1;  // bytes per counted step when no unit flag is set
    int MinDigits = 1;
    std::string Prefix;
    std::string Suffix;

    // Reads a format text. Raises EMPHexEditor with the component's messages:
    // "Invalid bytes per unit value %d, ..." (a digit unit not 1, 2, 4, 8),
    // "Missing char in offset format: %s" ("number radix", ":" or "|"),
    // "Invalid radix in offset format (%xh), ...". A minimum digit count above
    // kMaxDigits is held at kMaxDigits.
    static TMPHOffsetFormat Parse(const std::string& text);

    // prefix + (position / unit) in the radix, zero-padded to MinDigits,
    // upper or lower case + suffix. `unit` is the bytes per step in force.
    std::string Format(std::int64_t position, int unit, bool lowerCase) const;

    // The number of radix digits `position / unit` takes (at least 1).
    int DigitCount(std::int64_t position, int unit) const;

    // More digits than a 64-bit position can need in radix 2.
    static constexpr int kMaxDigits = 64;
};
