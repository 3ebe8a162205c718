#pragma once

#include <cstdint>
#include <functional>

#include "framework/Messages.h"

// A window-message timer: while enabled (and the interval is above zero) it
// calls OnTimer on the user-interface thread every Interval milliseconds.
// Tests drive ticks with Window().Perform(WM_TIMER, TTimer::kTimerId).
class TTimer {
  public:
    static constexpr std::uintptr_t kTimerId = 1;

    TTimer();

    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

    MessageWindow& Window() { return window_; }

  private:
    void Restart();

    MessageWindow window_;
    int interval_ = 1000;
    bool enabled_ = true;
};
