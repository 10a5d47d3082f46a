#include "analysis/bootstrap/accurate_group_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/arithmetic.h"
#include "analysis/bootstrap/group_stats.h"

namespace velmora {

GroupStats ComputeAccurateGroupStats(std::span<const float> values) {
    const auto n = static_cast<std::int32_t>(values.size());
    if (n < 2) {
        // Outside the contract: no variance exists, and nothing may divide by n - 1 = 0.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return GroupStats{n, nan, nan, nan, nan, nan};
    }
    std::vector<float> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    const auto g = static_cast<std::size_t>(TrimCount(n));
    const std::size_t hi = sorted.size() - g - 1;
    ExactSums all;
    ExactSums kept;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        all.add(sorted[i]);
        if (i >= g && i <= hi) kept.add(sorted[i]);
    }
    return AccurateGroupStatsFromSums(n, all, kept, sorted[g], sorted[hi]);
}

GroupStats AccurateGroupStatsFromSums(std::int32_t n, const ExactSums& all, const ExactSums& kept,
                                      float lowKept, float highKept) {
    const std::int32_t g = TrimCount(n);
    // Whole numbers in units of the finest binade present keep the numbers short.
    const int base = all.lowestBinade();
    const SignedExact sum = all.sum(base);
    const SignedExact keptSum = kept.sum(base);

    GroupStats stats;
    stats.lngN = n;
    stats.sngMean = exactMeanSingle(sum, n, base);
    stats.sngVariance = exactVarianceSingle(sum, all.squares(base), n, base);
    stats.sngTrimmedMean = exactMeanSingle(keptSum, n - 2 * g, base);

    // The Winsorized sample: g copies of each end's kept value around the kept ones.
    const auto copies = static_cast<std::uint64_t>(g);
    SignedExact winsSum = keptSum;
    ExactInteger winsSquares = kept.squares(base);
    if (copies > 0) {
        const SignedExact low = scaledSingle(lowKept, base);
        SignedExact ends = scaledSingle(highKept, base);
        ExactInteger endSquares = ends.magnitude.times(ends.magnitude);
        endSquares.add(low.magnitude.times(low.magnitude));
        ends.add(low);
        winsSum.add(SignedExact{ends.negative, ends.magnitude.times(copies)});
        winsSquares.add(endSquares.times(copies));
    }
    stats.sngWinsMean = exactMeanSingle(winsSum, n, base);
    stats.sngWinsVariance = exactVarianceSingle(winsSum, winsSquares, n, base);
    return stats;
}

bool SinglePrecisionFailed(const GroupStats& single, const GroupStats& accurate) {
    const double variance = accurate.sngVariance;
    const double winsVariance = accurate.sngWinsVariance;
    return singlePrecisionDrifted(single.sngMean, accurate.sngMean, std::sqrt(variance)) ||
           singlePrecisionDrifted(single.sngTrimmedMean, accurate.sngTrimmedMean,
                                  std::sqrt(winsVariance)) ||
           singlePrecisionDrifted(single.sngVariance, variance, variance) ||
           singlePrecisionDrifted(single.sngWinsVariance, winsVariance, winsVariance);
}

}  // namespace velmora
