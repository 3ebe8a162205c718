#include "shell/PassPriority.h"

#include <QTimer>

int TPassPriority::Take() {
    if (!raiseScheduled_) {
        raiseScheduled_ = true;
        QTimer::singleShot(0, &context_, [this] {
            raiseScheduled_ = false;
            ++priority_;
        });
    }
    return priority_;
}
