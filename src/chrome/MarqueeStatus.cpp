#include "chrome/MarqueeStatus.h"

TRzMarqueeStatus::TRzMarqueeStatus(TComponent* owner) : TRzStatusPane(owner), wrapLength_(Width()) {
    timer_.SetInterval(100);
    timer_.OnTimer = [this] { Step(); };
}

void TRzMarqueeStatus::Step() {
    offset_ += scrollSize_;
    DrawCaptionNow(Caption());
    if (offset_ >= wrapLength_)
        offset_ = 0;
}

void TRzMarqueeStatus::SetScrollType(TRzScrollType type) {
    if (type == scrollType_)
        return;
    scrollType_ = type;
    timer_.SetEnabled(type != stNone);
    Invalidate();
}

void TRzMarqueeStatus::SetScrolling(bool scrolling) {
    if (scrolling == scrolling_)
        return;
    scrolling_ = scrolling;
    timer_.SetEnabled(scrolling);
    if (!scrolling)
        offset_ = 0;
    Invalidate();
}

void TRzMarqueeStatus::SetScrollSize(std::uint16_t pixels) {
    scrollSize_ = pixels == 0 ? 1 : pixels;
}

void TRzMarqueeStatus::SetScrollDelay(std::uint16_t milliseconds) {
    timer_.SetInterval(milliseconds);
}

void TRzMarqueeStatus::UpdateWrapLength() {
    wrapLength_ = TextWidth(Font(), Caption()) + Width();
}

void TRzMarqueeStatus::BoundsChanged(const TRect& old) {
    TRzStatusPane::BoundsChanged(old);
    UpdateWrapLength();
}

void TRzMarqueeStatus::TextChanged() {
    TRzStatusPane::TextChanged();
    UpdateWrapLength();
}

void TRzMarqueeStatus::FontChanged() {
    TRzStatusPane::FontChanged();
    UpdateWrapLength();
}

void TRzMarqueeStatus::DrawCaption(TCanvas& canvas, const std::string& text) {
    if (scrollType_ == stNone) {
        TRzStatusPane::DrawCaption(canvas, text);
        return;
    }
    TRect r = CaptionRect();
    bitmap_.SetSize(r.Width(), r.Height());
    if (bitmap_.Empty())
        return;
    {
        TCanvas offscreen(bitmap_);
        offscreen.Font = Font();
        offscreen.Font.Color = TextColor();
        offscreen.Brush.Color = FillColor();
        offscreen.FillRect(Rect(0, 0, r.Width(), r.Height()));
        int y = (r.Height() - offscreen.TextHeight("Pp")) / 2 + r.Top - BorderWidth() - 1;
        int x =
            scrollType_ == stRightToLeft ? Width() - offset_ : offset_ - offscreen.TextWidth(text);
        offscreen.TextAlign = taLeft;
        offscreen.TextRect(r, x, y, text);
    }
    canvas.Draw(BorderWidth() + 1, BorderWidth() + 1, bitmap_);
}
