#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/clock.h"

namespace velmora::batch {

// A one-line progress bar for a terminal: trials under way, total and the
// estimated time left. It stays silent during the first second, so short runs
// never show it, and redraws at most ten times a second. It shows the
// furthest trial reported, so the count only climbs. Not thread-safe: the
// engine reports progress on the thread that runs it.
class ProgressBar {
public:
    using Writer = std::function<void(std::string_view)>;

    // `enabled` false (standard error is not a terminal): never writes anything.
    ProgressBar(Writer write, const MonotonicClock& clock, std::int32_t total, bool enabled);

    // Trial `t` (1..total) is about to start.
    void update(std::int32_t t);
    // Clears the line if anything was drawn.
    void finish();

    bool hasDrawn() const { return m_drawn; }

    // The text of one frame (without the leading CR), padded to a fixed width.
    static std::string frame(std::int32_t t, std::int32_t total, double elapsedSeconds);
    // "7 s", "2 min 05 s", "1 h 02 min".
    static std::string durationText(double seconds);

    static constexpr double kQuietSeconds = 1.0;
    static constexpr double kRedrawSeconds = 0.1;
    static constexpr std::size_t kWidth = 72;

private:
    Writer m_write;
    const MonotonicClock& m_clock;
    std::int32_t m_total;
    bool m_enabled;
    double m_start = 0.0;
    double m_lastDraw = -1.0;
    std::int32_t m_latest = 0;
    bool m_drawn = false;
};

}  // namespace velmora::batch
