#pragma once

#include <functional>

// The longest time, in milliseconds, that the event loop went without
// turning while `scenario` ran on this (the user-interface) thread and while
// the loop then worked until `settled` held (checked at every turn; none means
// "once the scenario has returned"), at most `timeoutMs`. A zero-interval
// timer beats once per loop iteration; the largest gap between beats, and
// from the start to the first beat, is what a person would see as a frozen
// window. A negative result means `settled` never held.
double LongestStallMs(const std::function<void()>& scenario,
                      const std::function<bool()>& settled = {}, int timeoutMs = 30000);
