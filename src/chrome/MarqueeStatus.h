#pragma once

#include <cstdint>

#include "chrome/StatusPane.h"
#include "framework/Bitmap.h"
#include "framework/Timer.h"

enum TRzScrollType { stNone, stRightToLeft, stLeftToRight };

// A pane whose caption scrolls through it: every ScrollDelay milliseconds
// the text moves ScrollSize pixels, drawn in an off-screen bitmap and
// copied over the caption rectangle in one piece (the frame is not
// redrawn). The offset wraps once the text has passed completely, after
// text width + Width pixels.
class TRzMarqueeStatus : public TRzStatusPane {
  public:
    explicit TRzMarqueeStatus(TComponent* owner);

    TRzScrollType ScrollType() const { return scrollType_; }
    // stNone shows the caption still; any other value starts the timer.
    void SetScrollType(TRzScrollType type);
    bool Scrolling() const { return scrolling_; }
    // Turning scrolling off stops the timer and puts the text back at the start.
    void SetScrolling(bool scrolling);
    std::uint16_t ScrollSize() const { return scrollSize_; }
    // A step of 0 is stored as 1.
    void SetScrollSize(std::uint16_t pixels);
    std::uint16_t ScrollDelay() const { return static_cast<std::uint16_t>(timer_.Interval()); }
    void SetScrollDelay(std::uint16_t milliseconds);

    int Offset() const { return offset_; }
    int WrapLengthForTest() const { return wrapLength_; }
    TTimer& Timer() { return timer_; }

    void DrawCaption(TCanvas& canvas, const std::string& text) override;

  protected:
    void BoundsChanged(const TRect& old) override;
    void TextChanged() override;
    void FontChanged() override;

  private:
    void Step();
    void UpdateWrapLength();

    TRzScrollType scrollType_ = stRightToLeft;
    bool scrolling_ = true;
    std::uint16_t scrollSize_ = 1;
    TBitmap bitmap_;
    TTimer timer_;
    int offset_ = 0;
    int wrapLength_;
};
