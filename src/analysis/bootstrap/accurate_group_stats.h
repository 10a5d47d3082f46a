#pragma once

#include <cstdint>
#include <span>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/exact_sums.h"

namespace velmora {

// The group statistics of one column computed accurately, for data on which
// single-precision running sums fail: every sum is exact, and each statistic
// is the exact value of its formula rounded once to single when stored. The
// mean is sum / n, the variance sum((x - mean)^2) / (n - 1), the trimmed mean
// the mean of the kept positions, the Winsorized mean and variance the mean
// and sample variance of the Winsorized sample (g copies of the lowest kept
// value, the kept values, g copies of the highest). Trimming count and kept
// positions as in ComputeGroupStats. `values` are the column's values in any
// order, at least 2 of them: its singles, or the values as written in the
// data file for a variable whose singles cannot hold them (the same figures
// for values that are singles). A result beyond the single range is
// infinite; the caller treats that as a fault.
GroupStats ComputeAccurateGroupStats(std::span<const float> values);
GroupStats ComputeAccurateGroupStats(std::span<const double> values);

// The exact figures of one column behind its accurate statistics: the sum
// and sum of squares of its n values, the sum of its kept positions, and the
// sum and sum of squares of its Winsorized sample, all in units of binade
// `base` (as BasicExactSums::sum and squares give them).
template <typename Real>
struct ExactColumn {
    using Signed = typename BasicExactSums<Real>::Signed;
    using Integer = typename BasicExactSums<Real>::Integer;
    std::int32_t n = 0;
    int base = 1;
    Signed sum;
    Integer squares;
    Signed keptSum;
    Signed winsSum;
    Integer winsSquares;
    // The variance and the Winsorized variance, each rounded once (n >= 2).
    RoundedVariance variance;
    RoundedVariance winsVariance;
};

// The exact figures of `values` (as ComputeAccurateGroupStats takes them).
template <typename Real>
ExactColumn<Real> ExactColumnOf(std::span<const Real> values);

// The same from the exact sums: `all` over the n values, `kept` over the
// kept positions, and the values at the first and last of them.
template <typename Real>
ExactColumn<Real> ExactColumnFromSums(std::int32_t n, const BasicExactSums<Real>& all,
                                      const BasicExactSums<Real>& kept, Real lowKept,
                                      Real highKept);

// The group statistics of a column, each rounded once to single.
template <typename Real>
GroupStats GroupStatsOf(const ExactColumn<Real>& column);

// The pooled variances and the four d values (as ComputeEffectSizes defines
// them) straight from the exact figures of both columns: the differences of
// the means and of the trimmed means are taken exactly and rounded once, the
// variances are the exact ones rounded once to double, and each estimate is
// rounded to single only when stored. Rounding the means to single first, as
// the group statistics are, would cost up to a single step of the mean in
// the difference (0.0625 near a million), which the SD may dwarf.
template <typename Real>
EffectSizes ComputeAccurateEffectSizes(const ExactColumn<Real>& column1,
                                       const ExactColumn<Real>& column2,
                                       std::int32_t lngNonpooledSdVar);

// Whether single precision has failed for a variable: its mean or trimmed
// mean is off from the accurate one by more than a thousandth of the accurate
// SD (Winsorized SD for the trimmed mean), or its variance or Winsorized
// variance by more than a thousandth of the accurate one. `single` and
// `accurate` describe the same variable (ComputeGroupStats on its singles,
// ComputeAccurateGroupStats on its values), both finite.
bool SinglePrecisionFailed(const GroupStats& single, const GroupStats& accurate);

}  // namespace velmora
