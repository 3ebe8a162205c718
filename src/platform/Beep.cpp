#include "platform/Beep.h"

#include <QApplication>
#include <atomic>

namespace {
std::atomic<long> beeps{0};
}

void MessageBeep(UINT) {
    ++beeps;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QApplication::beep();
}

long MessageBeepCount() {
    return beeps;
}
