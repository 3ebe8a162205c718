#pragma once

class TControl;

// What an assistive tool reads of a control that changed: its name (a
// caption, a pane's text), its value (the progress bar's position or range),
// its state (enabled or not), or the keyboard's place moved to it.
enum class TAccessibleChange { Name, Value, State, Focus };

// The chrome's controls report such changes here. The accessibility layer,
// once installed, passes them on to listening tools; until then nothing
// happens.
void TellAccessible(TControl& control, TAccessibleChange change);

using TAccessibleTeller = void (*)(TControl& control, TAccessibleChange change);
// Installed once at start, with the accessibility layer.
void SetAccessibleTeller(TAccessibleTeller teller);
