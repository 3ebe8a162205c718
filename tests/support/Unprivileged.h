#pragma once

#include <sys/types.h>

// The user id of "nobody", who owns nothing the tests make.
inline constexpr uid_t kNobody = 65534;

// The thread runs file access as an unprivileged user while this lives, so
// that permission checks apply even when the tests run as root (the file-system
// user id is per thread on Linux, and threads started meanwhile inherit it;
// returning to root restores the rights).
class AsUnprivilegedUser {
  public:
    AsUnprivilegedUser();
    ~AsUnprivilegedUser();
    bool Active() const { return active_; }

  private:
    bool active_ = false;
};
