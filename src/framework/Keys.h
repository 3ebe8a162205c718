#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Keys as the controls see them: virtual key codes, the shift state of the
// modifier keys and mouse buttons, and accelerators in captions.

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// Virtual key codes passed to KeyDown.
constexpr std::uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32,
                        VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_DELETE = 46,
                        VK_F2 = 113;

// The virtual key code of a Qt key (Qt::Key), or 0 for keys the controls do
// not use; for controls whose keys arrive at a Qt widget of their own.
std::uint16_t VirtualKeyOf(int qtKey);
// The shift state of Qt keyboard modifiers (Qt::KeyboardModifiers as int)
// and of the mouse buttons held (Qt::MouseButtons as int).
TShiftState ShiftStateOf(int qtModifiers, int qtButtons = 0);

// Whether the caption marks ch as its accelerator: an '&' before it, the
// letters compared without regard to case; "&&" stands for a plain '&'.
bool IsAccel(char32_t ch, std::string_view caption);
// The caption as it reads: the accelerator marks taken out, "&&" as '&'.
std::string StripAccel(std::string_view caption);
