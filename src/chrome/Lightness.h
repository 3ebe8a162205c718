#pragma once

#include "framework/Color.h"

// The colour made lighter (positive amount) or darker (negative) in the
// hue-lightness-saturation model scaled to 0..240: lightness moves by the
// amount and is capped at 255 (above 240 the channels saturate at full
// brightness). Amount 0 returns the colour as given, system references
// included; any other amount returns an RGB value.
// REQUIRES: -255 <= amount <= 255.
TColor AdjustColorLightness(TColor color, int amount);
