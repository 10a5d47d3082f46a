#include "output/plot/histogram.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

double quantile(std::span<const float> sorted, double p) {
    const double at = p * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    const double low = sorted[below];
    return low + (at - static_cast<double>(below)) * (static_cast<double>(sorted[above]) - low);
}

}  // namespace

std::int32_t freedmanDiaconisBins(std::span<const float> sorted) {
    if (sorted.empty()) return 0;
    const double range = static_cast<double>(sorted.back()) - static_cast<double>(sorted.front());
    if (range == 0.0) return 1;
    const double iqr = quantile(sorted, 0.75) - quantile(sorted, 0.25);
    const double width = 2.0 * iqr / std::cbrt(static_cast<double>(sorted.size()));
    const double bins = range / width;
    // A zero IQR gives an infinite count: as many bins as the picture allows.
    if (!(bins <= MAX_HISTOGRAM_BINS)) return MAX_HISTOGRAM_BINS;
    return std::max(MIN_HISTOGRAM_BINS, static_cast<std::int32_t>(std::ceil(bins)));
}

Histogram buildHistogram(std::span<const float> values) {
    Histogram h;
    if (values.empty()) return h;
    std::vector<float> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    const std::int32_t bins = freedmanDiaconisBins(sorted);
    h.lower = sorted.front();
    h.upper = sorted.back();
    h.counts.assign(static_cast<std::size_t>(bins), 0);
    const double span = h.upper - h.lower;
    for (float v : sorted) {
        // The same arithmetic for every value, so a value on an edge always
        // lands in the bin that starts there.
        const double at = span == 0.0 ? 0.0 : (static_cast<double>(v) - h.lower) / span * bins;
        const auto bin = std::clamp(static_cast<std::int32_t>(std::floor(at)), 0, bins - 1);
        ++h.counts[static_cast<std::size_t>(bin)];
    }
    return h;
}

}  // namespace velmora
