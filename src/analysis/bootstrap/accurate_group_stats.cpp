#include "analysis/bootstrap/accurate_group_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/arithmetic.h"
#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"

namespace velmora {

namespace {

// A column with fewer than 2 values is outside the contract: no variance
// exists, and nothing may divide by n - 1 = 0.
GroupStats undefinedStats(std::int32_t n) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    return GroupStats{n, nan, nan, nan, nan, nan};
}

// `value` in units of a binade `shift` below its own.
template <int Limbs>
BasicSignedExact<Limbs> rescaled(BasicSignedExact<Limbs> value, int shift) {
    if (shift == 0 || value.magnitude.isZero()) return value;
    // A shift, 128 bits at a time: far cheaper than multiplying by 2^shift.
    BasicExactInteger<Limbs> shifted;
    for (int from = 0; from < value.magnitude.bitLength(); from += 128) {
        bool lowerBitsSet = false;
        const Uint128 chunk = value.magnitude.bitsFrom(from, lowerBitsSet);
        if (chunk != 0) shifted.addShifted(chunk, from + shift);
    }
    value.magnitude = shifted;
    return value;
}

// sum2 / n2 - sum1 / n1 exactly, rounded once to double; both sums in units
// of their own binade.
template <int Limbs>
double differenceOfMeans(const BasicSignedExact<Limbs>& sum1, std::int64_t n1, int base1,
                         const BasicSignedExact<Limbs>& sum2, std::int64_t n2, int base2) {
    const int base = std::min(base1, base2);
    BasicSignedExact<Limbs> first = rescaled(sum1, base1 - base);
    BasicSignedExact<Limbs> second = rescaled(sum2, base2 - base);
    if (n1 != n2) {
        // (sum2 n1 - sum1 n2) / (n1 n2); the counts are below 2^31.
        first.magnitude = first.magnitude.times(static_cast<std::uint64_t>(n2));
        second.magnitude = second.magnitude.times(static_cast<std::uint64_t>(n1));
    }
    first.negative = !first.negative && !first.magnitude.isZero();
    second.add(first);
    return exactMeanDouble(second, n1 == n2 ? n1 : n1 * n2, base);
}

// diff / sqrt(variance) when the variance is strictly positive as a single,
// as the records hold it: a variance too small for a single prints as 0, and
// the d built on it is as uncomputable as in single precision.
float standardized(double diff, double variance) {
    if (!(static_cast<float>(variance) > 0.0f)) return NOT_COMPUTABLE;
    return static_cast<float>(diff / std::sqrt(variance));
}

}  // namespace

template <typename Real>
ExactColumn<Real> ExactColumnOf(std::span<const Real> values) {
    const auto n = static_cast<std::int32_t>(values.size());
    if (n < 2) {
        ExactColumn<Real> column;
        column.n = n;
        return column;
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
    return ExactColumnFromSums(n, all, kept, lowKept, *highest);
}

GroupStats ComputeAccurateGroupStats(std::span<const float> values) {
    return GroupStatsOf(ExactColumnOf(values));
}

GroupStats ComputeAccurateGroupStats(std::span<const double> values) {
    return GroupStatsOf(ExactColumnOf(values));
}

template <typename Real>
ExactColumn<Real> ExactColumnFromSums(std::int32_t n, const BasicExactSums<Real>& all,
                                      const BasicExactSums<Real>& kept, Real lowKept,
                                      Real highKept) {
    ExactColumn<Real> column;
    column.n = n;
    // Whole numbers in units of the finest binade present keep the numbers short.
    column.base = all.lowestBinade();
    column.sum = all.sum(column.base);
    column.squares = all.squares(column.base);
    column.keptSum = kept.sum(column.base);
    // The Winsorized sample: g copies of each end's kept value around the kept ones.
    column.winsSum = column.keptSum;
    column.winsSquares = kept.squares(column.base);
    addWinsorizedEnds(column.winsSum, column.winsSquares, lowKept, highKept,
                      static_cast<std::uint64_t>(TrimCount(n)), column.base);
    if (n >= 2) {
        column.variance = exactVarianceRounded(column.sum, column.squares, n, column.base);
        column.winsVariance =
            exactVarianceRounded(column.winsSum, column.winsSquares, n, column.base);
    }
    return column;
}

template <typename Real>
GroupStats GroupStatsOf(const ExactColumn<Real>& c) {
    if (c.n < 2) return undefinedStats(c.n);
    const std::int32_t g = TrimCount(c.n);
    GroupStats stats;
    stats.lngN = c.n;
    stats.sngMean = exactMeanSingle(c.sum, c.n, c.base);
    stats.sngVariance = c.variance.single;
    stats.sngTrimmedMean = exactMeanSingle(c.keptSum, c.n - 2 * g, c.base);
    stats.sngWinsMean = exactMeanSingle(c.winsSum, c.n, c.base);
    stats.sngWinsVariance = c.winsVariance.single;
    return stats;
}

template <typename Real>
EffectSizes ComputeAccurateEffectSizes(const ExactColumn<Real>& c1, const ExactColumn<Real>& c2,
                                       std::int32_t lngNonpooledSdVar) {
    const double variance1 = c1.variance.dbl;
    const double variance2 = c2.variance.dbl;
    const double winsVariance1 = c1.winsVariance.dbl;
    const double winsVariance2 = c2.winsVariance.dbl;
    const double w1 = static_cast<double>(c1.n) - 1.0;
    const double w2 = static_cast<double>(c2.n) - 1.0;
    const double df = w1 + w2;
    const double pooledVar = (w2 * variance2 + w1 * variance1) / df;
    const double pooledWinsVar = (w2 * winsVariance2 + w1 * winsVariance1) / df;

    const double meanDiff = differenceOfMeans(c1.sum, c1.n, c1.base, c2.sum, c2.n, c2.base);
    const std::int64_t kept1 = c1.n - 2 * TrimCount(c1.n);
    const std::int64_t kept2 = c2.n - 2 * TrimCount(c2.n);
    const double robustDiff =
        ROBUST_SCALE * differenceOfMeans(c1.keptSum, kept1, c1.base, c2.keptSum, kept2, c2.base);

    EffectSizes es;
    es.sngPooledVar = static_cast<float>(pooledVar);
    es.sngPooledWinsVar = static_cast<float>(pooledWinsVar);
    const bool fromVar2 = lngNonpooledSdVar == 2;
    for (Estimator e : kEstimators) {
        const EstimatorRules& rules = rulesOf(e);
        const bool pooled = rules.variance == VarianceSource::Pooled;
        const double variance =
            rules.robust ? (pooled ? pooledWinsVar : (fromVar2 ? winsVariance2 : winsVariance1))
                         : (pooled ? pooledVar : (fromVar2 ? variance2 : variance1));
        es.of(e) = standardized(rules.robust ? robustDiff : meanDiff, variance);
    }
    return es;
}

template ExactColumn<float> ExactColumnOf(std::span<const float>);
template ExactColumn<double> ExactColumnOf(std::span<const double>);
template ExactColumn<float> ExactColumnFromSums(std::int32_t, const ExactSums&, const ExactSums&,
                                                float, float);
template ExactColumn<double> ExactColumnFromSums(std::int32_t, const ExactDoubleSums&,
                                                 const ExactDoubleSums&, double, double);
template GroupStats GroupStatsOf(const ExactColumn<float>&);
template GroupStats GroupStatsOf(const ExactColumn<double>&);
template EffectSizes ComputeAccurateEffectSizes(const ExactColumn<float>&,
                                                const ExactColumn<float>&, std::int32_t);
template EffectSizes ComputeAccurateEffectSizes(const ExactColumn<double>&,
                                                const ExactColumn<double>&, std::int32_t);

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
