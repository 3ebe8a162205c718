#pragma once

#include "chrome/Gradient.h"
#include "framework/Control.h"

// A gap between toolbar controls; grooved, it shows an etched line through
// its middle along its long side.
class TRzSpacer : public TControl {
  public:
    explicit TRzSpacer(TComponent* owner);

    bool Grooved() const { return grooved_; }
    void SetGrooved(bool grooved);
    TOrientation Orientation() const { return orientation_; }
    // Swaps Width and Height (not while loading).
    void SetOrientation(TOrientation orientation);

    void Paint(TCanvas& canvas) override;

  private:
    bool grooved_ = false;
    TOrientation orientation_ = orHorizontal;
};
