#pragma once

#include <array>
#include <optional>

#include "analysis/paired/bca_interval.h"
#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_estimates.h"

namespace velmora {

// The limits of the noncentrality parameter of a noncentral t with `df`
// degrees of freedom, observed at `t`, at `level`: the lower limit is the one
// under which t falls at or below the observed value with probability 1 - (1
// - level) / 2, the upper one that with probability (1 - level) / 2. Both are
// empty when the distribution function cannot be evaluated or solved there
// (an extreme t for its df).
PairedInterval NoncentralityInterval(double t, double df, double level);

// The analytic interval of each d of the paired family, in the order of
// PairedEffect: d_z's from the noncentrality limits of t = d_z sqrt(n) with n
// - 1 degrees of freedom, divided by sqrt(n); d_b's the large-sample normal
// one, d_b -+ z SE with SE = sqrt(2 (1 - r) / n + d_b^2 / (2 n)). Absent for
// the others, which have none; present with empty limits where d (or r) is
// not computable or the limits cannot be found.
using PairedAnalyticIntervals = std::array<std::optional<PairedInterval>, kPairedEffectCount>;
PairedAnalyticIntervals ComputePairedAnalyticIntervals(const PairedObserved& observed,
                                                       double level);

// The limits of g: those of d times J(m); empty where either is.
PairedInterval CorrectedInterval(const PairedInterval& d, std::optional<double> correction);

}  // namespace velmora
