#include "analysis/bootstrap/group_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace velmora {

GroupStats GroupStatsFromSums(const GroupSums& sums) {
    const double n = static_cast<double>(sums.n);
    const std::int32_t g = TrimCount(sums.n);
    const std::int32_t lo = g + 1;
    const std::int32_t hi = sums.n - g;
    const double ratio = n / static_cast<double>(sums.n - 1);

    GroupStats stats;
    stats.lngN = sums.n;
    stats.sngMean = static_cast<float>(static_cast<double>(sums.sngSum) / n);
    const double mean = stats.sngMean;
    stats.sngVariance =
        static_cast<float>((static_cast<double>(sums.sngSumSquares) / n - mean * mean) * ratio);
    stats.sngTrimmedMean =
        static_cast<float>(static_cast<double>(sums.sngTrimSum) / static_cast<double>(hi - lo + 1));

    const double yLo = sums.sngLowKept;
    const double yHi = sums.sngHighKept;
    const double below = static_cast<double>(g);
    const double above = static_cast<double>(sums.n - hi);
    stats.sngWinsMean = static_cast<float>(
        ((yLo * below + static_cast<double>(sums.sngTrimSum)) + yHi * above) / n);
    const float w = static_cast<float>(
        (yLo * yLo * below + static_cast<double>(sums.sngTrimSumSquares)) + yHi * yHi * above);
    const double winsMean = stats.sngWinsMean;
    stats.sngWinsVariance =
        static_cast<float>((static_cast<double>(w) / n - winsMean * winsMean) * ratio);
    return stats;
}

GroupStats ComputeGroupStats(std::span<const float> values) {
    if (values.empty()) {
        // Outside the contract; non-finite fields make any caller stop rather
        // than report numbers for nothing.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return GroupStats{0, nan, nan, nan, nan, nan};
    }
    GroupSums sums;
    sums.n = static_cast<std::int32_t>(values.size());
    for (float x : values) {
        sums.sngSum = addToSingleSum(sums.sngSum, x);
        sums.sngSumSquares = addSquareToSingleSum(sums.sngSumSquares, x);
    }

    // Equal values keep their row order; any stable ascending sort gives the
    // positions of the ranking rule.
    std::vector<float> sorted(values.begin(), values.end());
    std::stable_sort(sorted.begin(), sorted.end());
    const std::int32_t g = TrimCount(sums.n);
    const std::size_t lo = static_cast<std::size_t>(g);               // 0-based first kept
    const std::size_t hi = static_cast<std::size_t>(sums.n - g - 1);  // 0-based last kept
    for (std::size_t i = lo; i <= hi; ++i) {
        sums.sngTrimSum = addToSingleSum(sums.sngTrimSum, sorted[i]);
        sums.sngTrimSumSquares = addSquareToSingleSum(sums.sngTrimSumSquares, sorted[i]);
    }
    sums.sngLowKept = sorted[lo];
    sums.sngHighKept = sorted[hi];
    return GroupStatsFromSums(sums);
}

bool AllFinite(const GroupStats& s) {
    return std::isfinite(s.sngMean) && std::isfinite(s.sngTrimmedMean) &&
           std::isfinite(s.sngVariance) && std::isfinite(s.sngWinsMean) &&
           std::isfinite(s.sngWinsVariance);
}

}  // namespace velmora
