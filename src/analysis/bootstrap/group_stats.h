#pragma once

#include <cstdint>
#include <span>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/resampling/trimming.h"
#include "analysis/running_sum.h"

namespace velmora {

// The group statistics of one column: `values` are its non-missing values in
// row order, at least 2 of them. Sums run in single precision (rounded after
// every addition), every formula is evaluated in double from single operands
// and stored as single, and the variance uses the raw-moment form
// (Q / n - m^2) * n / (n - 1). An overflow leaves a non-finite field; the
// caller treats that as a fault. Fewer than 2 values are outside the contract
// and give non-finite variances.
GroupStats ComputeGroupStats(std::span<const float> values);

// Every statistic finite: none left the single-precision range.
bool AllFinite(const GroupStats& stats);

// The sums one pass yields, from which the statistics follow: S and Q over all
// values in row order, T and U over the kept positions lo..hi of the ascending
// order, and the values at those two positions.
struct GroupSums {
    std::int32_t n = 0;
    float sngSum = 0.0f;             // S
    float sngSumSquares = 0.0f;      // Q
    float sngTrimSum = 0.0f;         // T
    float sngTrimSumSquares = 0.0f;  // U
    float sngLowKept = 0.0f;         // y_lo
    float sngHighKept = 0.0f;        // y_hi
};

// The six statistics from the sums; shared by the per-column routine and the
// bootstrap engine so both finish a sample identically.
GroupStats GroupStatsFromSums(const GroupSums& sums);

}  // namespace velmora
