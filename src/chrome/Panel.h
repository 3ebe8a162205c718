#pragma once

#include <cstdint>

#include "chrome/Frame.h"
#include "chrome/Gradient.h"
#include "framework/WinControl.h"

// The cornerless 1-pixel ring of flat frames: the four lines leave the four
// corner pixels out, so they keep whatever was under them. Only the lines of
// the given sides are drawn.
void DrawCornerlessRing(TCanvas& canvas, const TRect& rect, TColor color,
                        TSides sides = sdAllSides);

// The panel base of the toolbar and the status bar: a windowed container
// with an outer frame, a solid band and an inner frame on the chosen sides,
// and a background filled with Color or painted as a gradient. The aligned
// children fill what the frames leave.
class TRzCustomPanel : public TWinControl {
  public:
    explicit TRzCustomPanel(TComponent* owner);

    TFrameStyleEx BorderOuter() const { return borderOuter_; }
    void SetBorderOuter(TFrameStyleEx style);
    TFrameStyleEx BorderInner() const { return borderInner_; }
    void SetBorderInner(TFrameStyleEx style);
    TSides BorderSides() const { return borderSides_; }
    void SetBorderSides(TSides sides);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);
    TColor BorderHighlight() const { return borderHighlight_; }
    void SetBorderHighlight(TColor color);
    TColor BorderShadow() const { return borderShadow_; }
    void SetBorderShadow(TColor color);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    TColor FlatColor() const { return flatColor_; }
    void SetFlatColor(TColor color);
    int FlatColorAdjustment() const { return flatColorAdjustment_; }
    void SetFlatColorAdjustment(int amount);

    // A transparent panel fills no background: what lies under it shows
    // through between its frames.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool UseGradients() const { return useGradients_; }
    void SetUseGradients(bool use);
    TColor GradientColorStart() const { return gradientColorStart_; }
    void SetGradientColorStart(TColor color);
    TColor GradientColorStop() const { return gradientColorStop_; }
    void SetGradientColorStop(TColor color);
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection direction);

    // Called after the panel has painted.
    TNotifyEvent OnPaint;

    // The client rectangle less the frames and the band on their sides.
    TRect InsideRect() const;
    TRect AlignRect() const override { return InsideRect(); }

    // The colour of flat frames: FlatColor adjusted by FlatColorAdjustment.
    TColor FlatFrameColor() const;

    void Paint(TCanvas& canvas) override;

  protected:
    // A border style or the border sides changed to a different value
    // (the base also serves the widths: repaint and re-align).
    virtual void BordersChanged();

  private:
    int FrameWidth(TFrameStyleEx style) const;
    TRect DrawBorder(TCanvas& canvas, const TRect& rect, TFrameStyleEx style) const;
    void DrawBackground(TCanvas& canvas, const TRect& inside) const;

    TFrameStyleEx borderOuter_ = fsNone;
    TFrameStyleEx borderInner_ = fsNone;
    TSides borderSides_ = sdAllSides;
    int borderWidth_ = 0;
    TColor borderColor_ = clBtnFace;
    TColor borderHighlight_ = clBtnHighlight;
    TColor borderShadow_ = clBtnShadow;
    int bevelWidth_ = 1;
    TColor flatColor_ = clBtnShadow;
    int flatColorAdjustment_ = 30;
    bool transparent_ = false;
    bool useGradients_ = false;
    TColor gradientColorStart_ = clWhite;
    TColor gradientColorStop_ = clBtnFace;
    TGradientDirection gradientDirection_ = gdHorizontalEnd;
};
