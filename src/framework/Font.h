#pragma once

#include <QFont>
#include <string>
#include <string_view>

#include "framework/Color.h"

// A control's or canvas's font. Height is in pixels, negative as the
// character height without internal leading (the classic form, -11 is an
// 8-point font on a 96-dpi screen), positive as the cell height. Text is
// UTF-8. Glyphs are always drawn without antialiasing, so pixels are stable.
struct TFont {
    std::string Name = "DejaVu Sans";
    int Height = -11;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor Color = clWindowText;

    friend bool operator==(const TFont&, const TFont&) = default;
};

QFont ToQFont(const TFont& font);

// The advance width of the text in pixels, tabs expanded, no prefix
// processing.
int TextWidth(const TFont& font, std::string_view text);

// The height of one line of text (ascent + descent), whatever the text.
int TextHeight(const TFont& font);
