#pragma once

#include <cstdint>

#include "framework/Bitmap.h"
#include "framework/WinControl.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };

// The green cylinder-shaded picture stretched into every block: 20 x 52 for
// horizontal bars (the shading runs down each column), 52 x 20 for vertical
// ones (the same turned sideways).
TBitmap ProgressBlockBitmap(TProgressBarOrientation orientation);

// A windowed progress bar that draws itself: a grey one-pixel frame with
// rounded corners on a white ground, filled from the left (or from the
// bottom) with green blocks, or in smooth mode with one stretched strip.
//
// Position stays within [Min, Max] whenever Min <= Max. A rising Position
// draws the fill at once over what is shown (cheap, no flicker); a falling
// one repaints the whole bar. Max - Min divides the fill: when it is zero
// the bar is full at Max and empty otherwise; when it is negative the bar is
// empty.
class TKvtXPProgressBar : public TWinControl {
  public:
    explicit TKvtXPProgressBar(TComponent* owner);

    int Position() const { return position_; }
    void SetPosition(int position);
    int Min() const { return min_; }
    void SetMin(int min);
    int Max() const { return max_; }
    void SetMax(int max);
    int Step() const { return step_; }
    void SetStep(int step);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool smooth);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);
    TProgressBarOrientation Orientation() const { return orientation_; }
    // Switches the block picture; outside loading also swaps Width and Height.
    void SetOrientation(TProgressBarOrientation orientation);

    void Paint(TCanvas& canvas) override;

  private:
    void PaintFill(TCanvas& canvas);
    void PaintBlocks(TCanvas& canvas);
    void PaintSmooth(TCanvas& canvas);
    // How much of `whole` (blocks, or pixels in smooth mode) the position
    // has reached; the edge cases of the range are decided here.
    std::int64_t Reached(std::int64_t whole, bool blocks) const;

    bool smooth_ = false;
    TColor borderColor_ = RGB(0x80, 0x80, 0x80);
    TBitmap block_;
    TProgressBarOrientation orientation_ = pbHorizontal;
    int blockSize_ = 8;
    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    int step_ = 10;
};

// The light colour of the bar's inner line: each channel moved toward 255 by
// `percent` (capped at 100), rounded to nearest.
TColor LightenColor(TColor color, int percent);
