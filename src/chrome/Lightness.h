#pragma once

#include "framework/Color.h"

// The colour made lighter (positive amount) or darker (negative) in the
// hue-lightness-saturation model scaled to 0..240: lightness moves by the
// amount and is capped at 255 (above 240 the channels saturate at full
// brightness). Amount 0 returns the colour as given, system references
// included; any other amount returns an RGB value.
// REQUIRES: -255 <= amount <= 255.
TColor AdjustColorLightness(TColor color, int amount);

// How bright the colour looks, 0 (black) to 1 (white): its sRGB channels made
// linear and weighted as the eye sees them (relative luminance).
double RelativeLuminance(TColor color);

// The colour to write text in over `background` (either may be a system
// colour): `text` itself when the two stand clearly apart (a contrast ratio
// of their relative luminances of at least 4.5), else black or white,
// whichever stands further from the background.
TColor ReadableTextColor(TColor text, TColor background);
