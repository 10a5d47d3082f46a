#include "progress_bar.h"

#include <cmath>
#include <cstdio>

namespace velmora::batch {

ProgressBar::ProgressBar(Writer write, const MonotonicClock& clock, std::int32_t total,
                         bool enabled)
    : m_write(std::move(write)), m_clock(clock), m_total(total), m_enabled(enabled) {
    if (m_enabled) m_start = m_clock.elapsedSeconds();
}

void ProgressBar::update(std::int32_t t) {
    if (!m_enabled) return;
    if (t > m_latest) m_latest = t;
    const double now = m_clock.elapsedSeconds();
    const double elapsed = now - m_start;
    if (elapsed < kQuietSeconds) return;
    if (m_lastDraw >= 0.0 && now - m_lastDraw < kRedrawSeconds) return;
    m_lastDraw = now;
    m_drawn = true;
    m_write("\r" + frame(m_latest, m_total, elapsed));
}

void ProgressBar::finish() {
    if (!m_enabled || !m_drawn) return;
    m_write("\r" + std::string(kWidth, ' ') + "\r");
    m_drawn = false;
}

std::string ProgressBar::durationText(double seconds) {
    const long long s = seconds <= 0.0 ? 0 : static_cast<long long>(std::llround(seconds));
    char text[48];
    if (s < 60) {
        std::snprintf(text, sizeof text, "%lld s", s);
    } else if (s < 3600) {
        std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, (s % 3600) / 60);
    }
    return text;
}

std::string ProgressBar::frame(std::int32_t t, std::int32_t total, double elapsedSeconds) {
    constexpr int kBarCells = 30;
    const std::int32_t done = t > 0 ? t - 1 : 0;  // trial t has not run yet
    const double share = total > 0 ? static_cast<double>(done) / total : 0.0;
    const int filled = static_cast<int>(share * kBarCells);
    std::string bar(static_cast<std::size_t>(filled), '=');
    bar.append(static_cast<std::size_t>(kBarCells - filled), ' ');
    std::string line =
        "[" + bar + "] " + std::to_string(t) + "/" + std::to_string(total) + " trials, ";
    if (done > 0) {
        line += durationText(elapsedSeconds * (total - done) / done) + " left";
    } else {
        line += "estimating time left";
    }
    if (line.size() < kWidth) line.append(kWidth - line.size(), ' ');
    return line;
}

}  // namespace velmora::batch
