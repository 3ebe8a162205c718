#include "framework/Timer.h"

TTimer::TTimer()
    : window_([this](TMessage& message) {
          if (message.Msg == WM_TIMER && message.WParam == kTimerId && OnTimer)
              OnTimer();
      }) {
    Restart();
}

void TTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Restart();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Restart();
}

void TTimer::Restart() {
    window_.KillTimer(kTimerId);
    if (enabled_ && interval_ > 0)
        window_.SetTimer(kTimerId, interval_);
}
