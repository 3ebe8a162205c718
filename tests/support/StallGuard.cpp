#include "StallGuard.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

double LongestStallMs(const std::function<void()>& scenario, const std::function<bool()>& settled,
                      int timeoutMs) {
    QEventLoop loop;
    Clock::time_point lastBeat = Clock::now();
    const Clock::time_point deadline = lastBeat + std::chrono::milliseconds(timeoutMs);
    double longest = 0;
    bool ran = false;
    bool done = false;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, MillisecondsBetween(lastBeat, now));
        lastBeat = now;
        done = ran && (!settled || settled());
        if (done || now > deadline)
            loop.quit();
    });
    heartbeat.start();
    // The scenario runs from the loop, as input would, so that the gap it
    // causes lies between two beats.
    QTimer::singleShot(0, [&] {
        lastBeat = Clock::now();
        scenario();
        ran = true;
    });
    loop.exec();
    heartbeat.stop();
    return done ? longest : -1;
}
