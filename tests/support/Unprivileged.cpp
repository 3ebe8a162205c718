#include "support/Unprivileged.h"

#include <sys/fsuid.h>
#include <unistd.h>

AsUnprivilegedUser::AsUnprivilegedUser() {
    if (geteuid() != 0) {
        active_ = true;  // permissions apply already
        return;
    }
    setfsuid(kNobody);
    setfsgid(kNobody);
    active_ = static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1))) == kNobody;
}

AsUnprivilegedUser::~AsUnprivilegedUser() {
    if (geteuid() != 0)
        return;
    setfsgid(0);
    setfsuid(0);
}
