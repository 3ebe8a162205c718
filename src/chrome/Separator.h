#pragma once

#include "chrome/Gradient.h"
#include "framework/Control.h"

enum TRzHighlightLocation { hlCenter, hlUpperLeft, hlLowerRight };

// A thin windowless line between panes, painted as a gradient from Color
// to HighlightColor; Orientation and HighlightLocation choose where the
// highlight lies (the middle, or one end).
class TRzSeparator : public TControl {
  public:
    explicit TRzSeparator(TComponent* owner);

    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor color);
    TRzHighlightLocation HighlightLocation() const { return highlightLocation_; }
    void SetHighlightLocation(TRzHighlightLocation location);
    TOrientation Orientation() const { return orientation_; }
    // Swaps Width and Height (not while loading).
    void SetOrientation(TOrientation orientation);
    bool ShowGradient() const { return showGradient_; }
    void SetShowGradient(bool show);

    // The derived gradient: direction, stop colour (A) and start colour (B).
    TGradientDirection Direction() const { return direction_; }
    TColor StopColor() const { return colorA_; }
    TColor StartColor() const { return colorB_; }

    void Paint(TCanvas& canvas) override;

  protected:
    void Loaded() override;
    void ColorChanged() override;

  private:
    void UpdateGradient();

    TColor highlightColor_ = clHighlight;
    TRzHighlightLocation highlightLocation_ = hlCenter;
    TOrientation orientation_ = orHorizontal;
    bool showGradient_ = true;
    TGradientDirection direction_ = gdVerticalCenter;
    TColor colorA_ = clHighlight;
    TColor colorB_ = clBtnFace;
};
