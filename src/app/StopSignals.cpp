#include "app/StopSignals.h"

#include <csignal>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

volatile std::sig_atomic_t caught = 0;
struct sigaction previous[kSignalCount];

void Remember(int signal) {
    if (caught == 0)
        caught = signal;
}

}  // namespace

TStopSignals::TStopSignals() {
    caught = 0;
    struct sigaction action {};
    action.sa_handler = Remember;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking wait returns EINTR
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &action, &previous[i]);
}

TStopSignals::~TStopSignals() {
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
}

int TStopSignals::Caught() {
    return caught;
}
