#pragma once

#include <string>
#include <vector>

#include "chrome/Panel.h"

// The window's one-line status bar. It does not place its panes itself:
// they align inside its client rectangle, which it widens by one pixel to
// the left, right and bottom and starts at row 1 (row 2 in simple mode).
// Over the panes it paints the size grip at its right end when the form can
// be sized there; pressing the grip starts sizing the form from its
// bottom-right corner.
class TRzStatusBar : public TRzCustomPanel {
  public:
    explicit TRzStatusBar(TComponent* owner);

    // After loading (and when set on) the bar takes its fixed look again:
    // no borders on all sides, height 19.
    bool AutoStyle() const { return autoStyle_; }
    void SetAutoStyle(bool autoStyle);
    bool ShowSizeGrip() const { return showSizeGrip_; }
    void SetShowSizeGrip(bool show);
    // Simple status hides every pane and shows SimpleCaption in a frame.
    bool SimpleStatus() const { return simpleStatus_; }
    void SetSimpleStatus(bool simple);
    const std::string& SimpleCaption() const { return simpleCaption_; }
    void SetSimpleCaption(const std::string& caption);
    TFrameStyle SimpleFrameStyle() const { return simpleFrameStyle_; }
    void SetSimpleFrameStyle(TFrameStyle style);
    // Pane widths follow the bar's width in proportion.
    bool AutoScalePanes() const { return autoScalePanes_; }
    void SetAutoScalePanes(bool autoScale) { autoScalePanes_ = autoScale; }

    // The grip shows: ShowSizeGrip is on and the containing form has a
    // sizeable border and is not maximized.
    bool ShowsSizeGrip() const;
    // The client rectangle the panes align in.
    TRect StatusClientRect() const;
    TRect AlignRect() const override { return StatusClientRect(); }
    // The area at the right end that sizes the form.
    TRect GripRect() const { return Rect(Width() - 13, 0, Width(), Height()); }

    void Paint(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  protected:
    void Loaded() override;
    void BordersChanged() override;
    void Resize() override;
    void PaintOverChildren(TCanvas& canvas) override;
    TCursor CursorAt(TPoint p) const override;

  private:
    void ApplyAutoStyle();
    void DrawSimpleFrame(TCanvas& canvas) const;
    void DrawSizeGrip(TCanvas& canvas) const;
    bool InGrip(TPoint p) const { return ShowsSizeGrip() && GripRect().Contains(p); }

    bool autoStyle_ = true;
    bool applyingStyle_ = false;
    bool showSizeGrip_ = true;
    bool simpleStatus_ = false;
    std::string simpleCaption_;
    TFrameStyle simpleFrameStyle_ = fsFlat;
    bool autoScalePanes_ = false;
    int lastWidth_ = 0;
    bool firstResize_ = true;
    std::vector<TControl*> hiddenBySimple_;
};
