#pragma once

#include <functional>

#include "runtime/clock.h"

namespace velmora {

inline constexpr double SPLASH_WAIT_SECONDS = 2.0;

// The start-up wait: reads the start time, then repeatedly computes the elapsed
// time, calls `processEvents` once, and goes on while the elapsed time was below
// `seconds`. Nothing the callback does (closing the splash, say) shortens it.
// Returns the elapsed time of the last pass (at least `seconds`).
double waitHandlingEvents(const MonotonicClock& clock, double seconds,
                          const std::function<void()>& processEvents);

}  // namespace velmora
