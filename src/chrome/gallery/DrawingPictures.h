#pragma once

#include <string>

#include "chrome/Frame.h"
#include "chrome/Gradient.h"
#include "framework/Bitmap.h"

// Pictures of the drawing routines, the progress bar and the splitter for the
// gallery, drawn with the current colour scheme (the gallery sets the
// classic one first).

// The style's or direction's name without its prefix, in lower case: "flat",
// "groove", ... and "squarebox", "horizontalend", ...
std::string FrameStyleName(TFrameStyle style);
std::string GradientDirectionName(TGradientDirection direction);

// DrawFrameStyle on all four sides of a 40 x 30 picture filled with clBtnFace.
TBitmap FramePicture(TFrameStyle style);

// FillGradient over 64 x 40, white to clBlue, colour steps 1.
TBitmap GradientPicture(TGradientDirection direction);

// The program's progress bar alone, 667 x 19 on the status bar's colour,
// Max 99, at the position.
TBitmap ProgressPicture(int position);

// A 400 x 200 form with a left-aligned pane, the splitter and a client pane,
// in the middle of a drag 60 pixels to the right (the inverted line showing).
TBitmap SplitterDragPicture();
