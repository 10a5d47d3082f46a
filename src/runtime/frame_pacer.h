#pragma once

#include <cstdint>

#include "runtime/clock.h"

namespace velmora {

// Paces the redraws of a counter that climbs from 1 to `last` inside one
// handler, where every redraw is paid for at once: the first report is drawn,
// then at most one per interval of the monotonic clock, and the last always,
// so the display keeps up with the eye and ends on `last`.
class FramePacer {
public:
    // About one screen frame.
    static constexpr double kFrameSeconds = 0.016;

    FramePacer(const MonotonicClock& clock, std::int32_t last,
               double intervalSeconds = kFrameSeconds)
        : m_clock(clock), m_last(last), m_interval(intervalSeconds) {}

    // Whether report `t` should be drawn; reads the clock once. A true answer
    // counts as drawn now.
    bool due(std::int32_t t);

private:
    const MonotonicClock& m_clock;
    std::int32_t m_last;
    double m_interval;
    double m_lastDrawn = 0.0;
    bool m_drawnOnce = false;
};

}  // namespace velmora
