#pragma once

#include <memory>

#include "framework/Bitmap.h"
#include "framework/Geometry.h"

class QPainter;
class TCanvas;
class TControl;
class TWinControl;

// A canvas on a control's pixels for drawing at once, outside the paint
// cycle: origin at the control's top-left corner, clipped to the control.
// On destruction the window shows what was drawn. A hidden control (or one
// without pixels yet) gets a canvas that draws nowhere.
class TControlCanvas {
  public:
    explicit TControlCanvas(TControl& control);
    ~TControlCanvas();
    TControlCanvas(const TControlCanvas&) = delete;
    TControlCanvas& operator=(const TControlCanvas&) = delete;

    TCanvas& Canvas() { return *canvas_; }

  private:
    TWinControl* window_;
    TRect area_;       // in the window's coordinates
    TBitmap scratch_;  // stands in when the control has no pixels yet
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TCanvas> canvas_;
};
