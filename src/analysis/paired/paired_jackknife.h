#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_estimates.h"

namespace velmora {

// The jackknife over the complete pairs: visit(i, estimates) for every pair
// i (0-based, in pair order) with the family on the other n - 1 pairs,
// exactly as ComputePairedObserved gives it on them, in O(n log n) in all:
// each leave-one-out sum is the whole sum less pair i's value, and the kept
// stretch of the n - 1 values (trimmed by TrimCount(n - 1), which is one
// less than TrimCount(n) when n is a multiple of 5) is a fixed stretch of
// the n sorted values less at most one of them. Needs n >= 3.
void ForEachLeaveOneOut(const PairedColumns& columns, std::int32_t lngSdVar,
                        const std::function<void(std::size_t, const PairedEstimates&)>& visit);

// The acceleration of each d from its jackknife values t_i with mean t:
// sum((t - t_i)^3) / (6 sum((t - t_i)^2)^(3/2)). Empty when n < 3, when any
// t_i is not computable or when they are all equal.
PairedEstimates PairedAccelerations(const PairedColumns& columns, std::int32_t lngSdVar);

}  // namespace velmora
