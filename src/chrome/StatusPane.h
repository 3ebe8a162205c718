#pragma once

#include <cstdint>
#include <string>

#include "chrome/Frame.h"
#include "chrome/FrameController.h"
#include "chrome/SharedTimerList.h"
#include "framework/Canvas.h"
#include "framework/Control.h"

class TRzCustomStatusPane;

// The one blink timer of the process, shared by every pane: each tick flips
// the phase (starting in the on phase), takes the interval of the new phase
// and tells every blinking pane.
class TRzBlinkingControlsList
    : public TSharedTimerList<TRzBlinkingControlsList, TRzCustomStatusPane> {
  public:
    bool OnPhaseForTest() const { return onPhase_; }
    std::uint16_t IntervalOn() const { return intervalOn_; }
    std::uint16_t IntervalOff() const { return intervalOff_; }
    void SetIntervalOn(std::uint16_t milliseconds);
    void SetIntervalOff(std::uint16_t milliseconds);
    void Tick();

  private:
    bool onPhase_ = true;
    std::uint16_t intervalOn_ = 500;
    std::uint16_t intervalOff_ = 500;
};

// A windowless status-bar pane: a frame inside BorderWidth and a caption in
// the rectangle the frame leaves, optionally blinking and sized to its text.
class TRzCustomStatusPane : public TControl, public TRzFrameControllerClient {
  public:
    explicit TRzCustomStatusPane(TComponent* owner);
    ~TRzCustomStatusPane() override;

    TTextAlign Alignment() const { return alignment_; }
    void SetAlignment(TTextAlign alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    int DefaultWidth() const { return defaultWidth_; }
    void SetDefaultWidth(int width);
    int CaptionOffset() const { return captionOffset_; }
    void SetCaptionOffset(int offset);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle style);
    TColor FlatColor() const { return flatColor_; }
    void SetFlatColor(TColor color);
    int FlatColorAdjustment() const { return flatColorAdjustment_; }
    void SetFlatColorAdjustment(int amount);
    TColor FillColor() const { return fillColor_; }
    // Setting a fill colour turns ParentFillColor off.
    void SetFillColor(TColor color);
    bool ParentFillColor() const { return parentFillColor_; }
    void SetParentFillColor(bool parentFillColor);
    bool Blinking() const { return blinking_; }
    void SetBlinking(bool blinking);
    TColor BlinkColor() const { return blinkColor_; }
    void SetBlinkColor(TColor color);
    // Shared by all panes (kept by the blink timer).
    std::uint16_t BlinkIntervalOn() const;
    void SetBlinkIntervalOn(std::uint16_t milliseconds);
    std::uint16_t BlinkIntervalOff() const;
    void SetBlinkIntervalOff(std::uint16_t milliseconds);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // The width AutoSize gives: the caption's width plus the frame, border
    // and offset, or DefaultWidth for an empty caption.
    virtual int AutoWidth() const;
    // The rectangle the caption is drawn in (client coordinates).
    virtual TRect CaptionRect() const;
    // Draws the text in the caption rectangle (filled with FillColor first).
    virtual void DrawCaption(TCanvas& canvas, const std::string& text);
    virtual void DrawFrame(TCanvas& canvas);
    // The blink timer's new phase for a blinking pane; repaints at once.
    virtual void SetBlinkPhase(bool on);
    // Whether the pane reaches the right end of a status bar showing its grip.
    virtual bool IsNextToSizeGrip() const;

    // The text colour now in force (the font's, or BlinkColor while on).
    TColor TextColor() const { return textColor_; }

    void Paint(TCanvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;

  protected:
    void TakeControllerFrame(TFrameStyle style, TColor flatColor) override;
    void Loaded() override;
    void TextChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    // Sets the width to AutoWidth when AutoSize is on (not while loading).
    void ApplyAutoSize();
    // Draws the text at once, outside the paint cycle.
    void DrawCaptionNow(const std::string& text);

  private:
    TTextAlign alignment_ = taLeft;
    bool autoSize_ = false;
    int defaultWidth_ = 40;
    int captionOffset_ = 2;
    int borderWidth_ = 1;
    TFrameStyle frameStyle_ = fsFlat;
    TColor flatColor_ = clBtnShadow;
    int flatColorAdjustment_ = 30;
    TColor fillColor_;
    bool parentFillColor_ = true;
    bool blinking_ = false;
    TColor blinkColor_ = clHighlight;
    TColor textColor_;
    TColor fontColor_;
};

// The plain pane with a caption, which can show the application's hints.
class TRzStatusPane : public TRzCustomStatusPane {
  public:
    using TRzCustomStatusPane::TRzCustomStatusPane;
    ~TRzStatusPane() override;

    // While on, every new application hint becomes the caption.
    bool AutoHint() const { return autoHint_; }
    void SetAutoHint(bool autoHint);

  private:
    bool autoHint_ = false;
};
