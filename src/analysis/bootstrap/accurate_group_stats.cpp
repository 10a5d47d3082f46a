#include "analysis/bootstrap/accurate_group_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/arithmetic.h"
#include "analysis/bootstrap/group_stats.h"

namespace velmora {

namespace {

template <typename Real>
GroupStats accurateGroupStats(std::span<const Real> values) {
    const auto n = static_cast<std::int32_t>(values.size());
    if (n < 2) {
        // Outside the contract: no variance exists, and nothing may divide by n - 1 = 0.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return GroupStats{n, nan, nan, nan, nan, nan};
    }
    // Exact sums need no order, only the kept positions' values: two
    // selections put the g smallest values before position g and the g
    // largest after position n - g - 1, in linear time.
    std::vector<Real> v(values.begin(), values.end());
    const auto g = static_cast<std::ptrdiff_t>(TrimCount(n));
    const auto lowest = v.begin() + g;
    const auto highest = v.end() - g - 1;
    std::nth_element(v.begin(), lowest, v.end());
    const Real lowKept = *lowest;  // the second selection may move it
    std::nth_element(lowest, highest, v.end());
    BasicExactSums<Real> all;
    BasicExactSums<Real> kept;
    for (auto x = v.begin(); x != v.end(); ++x) {
        all.add(*x);
        if (x >= lowest && x <= highest) kept.add(*x);
    }
    return AccurateGroupStatsFromSums(n, all, kept, lowKept, *highest);
}

}  // namespace

GroupStats ComputeAccurateGroupStats(std::span<const float> values) {
    return accurateGroupStats(values);
}

GroupStats ComputeAccurateGroupStats(std::span<const double> values) {
    return accurateGroupStats(values);
}

template <typename Real>
GroupStats AccurateGroupStatsFromSums(std::int32_t n, const BasicExactSums<Real>& all,
                                      const BasicExactSums<Real>& kept, Real lowKept,
                                      Real highKept) {
    using Signed = typename BasicExactSums<Real>::Signed;
    using Integer = typename BasicExactSums<Real>::Integer;
    const std::int32_t g = TrimCount(n);
    // Whole numbers in units of the finest binade present keep the numbers short.
    const int base = all.lowestBinade();
    const Signed sum = all.sum(base);
    const Signed keptSum = kept.sum(base);

    GroupStats stats;
    stats.lngN = n;
    stats.sngMean = exactMeanSingle(sum, n, base);
    stats.sngVariance = exactVarianceSingle(sum, all.squares(base), n, base);
    stats.sngTrimmedMean = exactMeanSingle(keptSum, n - 2 * g, base);

    // The Winsorized sample: g copies of each end's kept value around the kept ones.
    Signed winsSum = keptSum;
    Integer winsSquares = kept.squares(base);
    addWinsorizedEnds(winsSum, winsSquares, lowKept, highKept, static_cast<std::uint64_t>(g), base);
    stats.sngWinsMean = exactMeanSingle(winsSum, n, base);
    stats.sngWinsVariance = exactVarianceSingle(winsSum, winsSquares, n, base);
    return stats;
}

template GroupStats AccurateGroupStatsFromSums(std::int32_t, const ExactSums&, const ExactSums&,
                                               float, float);
template GroupStats AccurateGroupStatsFromSums(std::int32_t, const ExactDoubleSums&,
                                               const ExactDoubleSums&, double, double);

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
