#pragma once

#include <cstdint>
#include <span>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/estimators.h"

namespace velmora {

// 1-based positions in the ascending list of L values.
struct PercentilePositions {
    std::int32_t lower = 0;
    std::int32_t upper = 0;
};

// The count q cut from one tail of L values: share * L in double, reduced by the rule.
std::int32_t PercentileCut(double share, std::int32_t count, PositionRule rule);

// a = (1 - level) / 2 in double from the single level; q from a * L by the
// rule; positions q + 1 and L - q. For L >= 1 both lie in 1..L, lower <= upper.
PercentilePositions PercentilePositionsFor(std::int32_t count, float sngConfidenceLevel,
                                           PositionRule rule);

// Sorts `values` (one estimator's valid trial values) ascending in place and
// reads the two limits. An empty list has no interval: both limits are
// NOT_COMPUTABLE.
PercentileInterval ReadPercentileInterval(std::span<float> values, float sngConfidenceLevel,
                                          PositionRule rule);

}  // namespace velmora
