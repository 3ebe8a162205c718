#include "chrome/PollingStatus.h"

#include "chrome/AccessibleEvents.h"

constexpr int kGripStrip = 12;

// A pane's handler may free other panes, even the list itself.
void TRzPollingList::Tick() {
    ForEachClient([](TRzPollingStatus* pane) {
        if (pane->Visible())
            pane->PollingHook();
    });
}

// ----------------------------------------------------------- TRzPollingStatus

TRzPollingStatus::TRzPollingStatus(TComponent* owner) : TRzStatusPane(owner) {
    TRzPollingList::Register(this);
}

TRzPollingStatus::~TRzPollingStatus() {
    TRzPollingList::Unregister(this);
}

bool TRzPollingStatus::Active() const {
    return TRzPollingList::Instance()->Timer().Enabled();
}
void TRzPollingStatus::SetActive(bool active) {
    TRzPollingList::Instance()->Timer().SetEnabled(active);
}
std::uint16_t TRzPollingStatus::Interval() const {
    return static_cast<std::uint16_t>(TRzPollingList::Instance()->Timer().Interval());
}
void TRzPollingStatus::SetInterval(std::uint16_t milliseconds) {
    TRzPollingList::Instance()->Timer().SetInterval(milliseconds);
}

void TRzPollingStatus::PollingHook() {
    if (OnTimerExpired)
        OnTimerExpired(this);
}

// ------------------------------------------------------------- TRzClockStatus

TRzClockStatus::TRzClockStatus(TComponent* owner) : TRzPollingStatus(owner) {
    SetWidth(150);
}

void TRzClockStatus::SetFormat(const std::string& format) {
    if (format == format_)
        return;
    format_ = format;
    UpdateTime();
    Invalidate();
}

void TRzClockStatus::UpdateTime() {
    TDateTime now = Now();
    if (OnGetDateTime)
        OnGetDateTime(this, now);
    std::string text = FormatDateTime(format_, now);
    if (text == lastText_)
        return;
    lastText_ = text;
    AssignCaption(text);
    ApplyAutoSize();
    DrawCaptionNow(text);
    TellAccessible(*this, TAccessibleChange::Name);
}

void TRzClockStatus::PollingHook() {
    UpdateTime();
    TRzPollingStatus::PollingHook();
}

TRect TRzClockStatus::CaptionRect() const {
    TRect r = TRzPollingStatus::CaptionRect();
    if (IsNextToSizeGrip())
        r.Right -= kGripStrip;
    return r;
}

bool TRzClockStatus::HitTest(TPoint p) const {
    if (!IsNextToSizeGrip())
        return true;
    int stripLeft = CaptionRect().Right;
    return p.X < stripLeft || p.X >= stripLeft + kGripStrip;
}

void TRzClockStatus::Paint(TCanvas& canvas) {
    AssignCaption(lastText_);
    TRzPollingStatus::Paint(canvas);
}

void TRzClockStatus::Loaded() {
    TRzPollingStatus::Loaded();
    AssignCaption(lastText_);
}
