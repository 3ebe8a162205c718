#pragma once

#include <utility>

// Runs `action` when the scope ends, however it ends: the lock counts, busy
// flags and update brackets of the controls are lowered this way.
template <class F>
class ScopeExit {
  public:
    explicit ScopeExit(F action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    F action_;
};
