#pragma once

#include <string>

// The width in pixels of `text` in a font given as a font description gives
// it: a family name and a height (below 0: the character height in pixels;
// above 0: the cell height). Needs a QGuiApplication.
int TextWidth(const std::string& family, int height, const std::string& text);
