#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

// Equal-width bins over [lower, upper]: bin i (from 0) holds the values from
// lower + i * w up to, not including, lower + (i + 1) * w, where
// w = (upper - lower) / counts.size(); the last bin also holds `upper`.
// When every value is equal, lower == upper and the one bin holds them all.
struct Histogram {
    double lower = 0.0;
    double upper = 0.0;
    std::vector<std::int32_t> counts;
};

inline constexpr std::int32_t MIN_HISTOGRAM_BINS = 10;
inline constexpr std::int32_t MAX_HISTOGRAM_BINS = 60;

// The Freedman-Diaconis bin count of ascending `sorted` values: the range over
// the width 2 * IQR * n^(-1/3), rounded up and kept within 10..60 (60 when the
// quartiles coincide); 1 when every value is equal, 0 for no value. The
// quartiles interpolate linearly between the order statistics at (n - 1) * p.
std::int32_t freedmanDiaconisBins(std::span<const float> sorted);

// The histogram of `values` (any order) with freedmanDiaconisBins bins from
// the smallest to the largest value. No value gives no bin.
Histogram buildHistogram(std::span<const float> values);

}  // namespace velmora
