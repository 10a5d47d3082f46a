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

// The same statistics from the exact sums: `all` over the n values, `kept`
// over the kept positions, and the values at the first and last of them.
template <typename Real>
GroupStats AccurateGroupStatsFromSums(std::int32_t n, const BasicExactSums<Real>& all,
                                      const BasicExactSums<Real>& kept, Real lowKept,
                                      Real highKept);

// Whether single precision has failed for a variable: its mean or trimmed
// mean is off from the accurate one by more than a thousandth of the accurate
// SD (Winsorized SD for the trimmed mean), or its variance or Winsorized
// variance by more than a thousandth of the accurate one. `single` and
// `accurate` describe the same variable (ComputeGroupStats on its singles,
// ComputeAccurateGroupStats on its values), both finite.
bool SinglePrecisionFailed(const GroupStats& single, const GroupStats& accurate);

}  // namespace velmora
