#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "chrome/StatusPane.h"
#include "framework/DateTime.h"

class TRzPollingStatus;

// The one polling timer of the process (500 ms, enabled): each tick calls
// the polling hook of every visible polling pane in registration order.
class TRzPollingList : public TSharedTimerList<TRzPollingList, TRzPollingStatus> {
  public:
    void Tick();
};

// A pane the polling timer calls; Active and Interval are the shared timer's,
// the same for every polling pane.
class TRzPollingStatus : public TRzStatusPane {
  public:
    explicit TRzPollingStatus(TComponent* owner);
    ~TRzPollingStatus() override;

    bool Active() const;
    void SetActive(bool active);
    std::uint16_t Interval() const;
    void SetInterval(std::uint16_t milliseconds);

    TNotifyEvent OnTimerExpired;

    // Called by the polling timer; fires OnTimerExpired.
    virtual void PollingHook();
};

using TRzGetDateTimeEvent = std::function<void(TControl* sender, TDateTime& value)>;

// The clock pane: on every poll it formats the current local date and time
// and redraws its text at once when the text changed. Next to the status
// bar's grip it keeps its text off the 12-pixel strip before the grip and
// leaves that strip to the bar's grip.
class TRzClockStatus : public TRzPollingStatus {
  public:
    explicit TRzClockStatus(TComponent* owner);

    // The date-time format; empty gives the locale's short date and long time.
    const std::string& Format() const { return format_; }
    void SetFormat(const std::string& format);

    // May replace the time about to be shown.
    TRzGetDateTimeEvent OnGetDateTime;

    void PollingHook() override;
    TRect CaptionRect() const override;
    bool HitTest(TPoint p) const override;
    void Paint(TCanvas& canvas) override;

  protected:
    void Loaded() override;

  private:
    void UpdateTime();

    std::string format_;
    std::string lastText_;
};
