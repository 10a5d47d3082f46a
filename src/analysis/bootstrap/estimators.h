#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/resampling/position_rule.h"

namespace velmora {

// The four d estimators, in the order every record, table, report line, trial
// CSV column and plot panel lists them.
enum class Estimator : std::uint8_t { PooledD, PooledRobustD, NonpooledD, NonpooledRobustD };
inline constexpr std::size_t kEstimatorCount = 4;
inline constexpr std::array<Estimator, kEstimatorCount> kEstimators = {
    Estimator::PooledD, Estimator::PooledRobustD, Estimator::NonpooledD,
    Estimator::NonpooledRobustD};

constexpr std::size_t estimatorIndex(Estimator estimator) {
    return static_cast<std::size_t>(estimator);
}

// Where an estimator's variance comes from: the two groups pooled, or the one
// group the user picked for the nonpooled SD.
enum class VarianceSource { Pooled, ChosenGroup };

struct EstimatorRules {
    const char* column;  // the trial CSV's column name
    const char* plotId;  // the plot panel's group id
    const char* name;    // the estimate's line in the report; the plot panel's title
    const char* ciName;  // the report's interval line: "% CI for population <ciName> = "
    const char*
        validName;  // the report's count line: "Number of valid <validName> bootstrap trials"
    // A robust estimator divides the scaled trimmed-mean difference by a root
    // of a Winsorized variance; the others the mean difference by a root of a
    // variance.
    bool robust;
    VarianceSource variance;
    PositionRule reduction;  // the percentile interval's rule
};

inline constexpr std::array<EstimatorRules, kEstimatorCount> kEstimatorRules = {{
    {"pooled_d", "pooled-d", "Pooled Cohen's D", "pooled D", "pooled D", false,
     VarianceSource::Pooled, PositionRule::Truncate},
    {"pooled_robust_d", "pooled-robust-d", "Pooled Robust Cohen's D", "pooled Robust D",
     "pooled robust D", true, VarianceSource::Pooled, PositionRule::Truncate},
    {"nonpooled_d", "nonpooled-d", "Nonpooled Cohen's D", "nonpooled D", "nonpooled D", false,
     VarianceSource::ChosenGroup, PositionRule::RoundHalfEven},
    {"nonpooled_robust_d", "nonpooled-robust-d", "Nonpooled Robust Cohen's D", "nonpooled Robust D",
     "nonpooled robust D", true, VarianceSource::ChosenGroup, PositionRule::RoundHalfEven},
}};

constexpr const EstimatorRules& rulesOf(Estimator estimator) {
    return kEstimatorRules[estimatorIndex(estimator)];
}

}  // namespace velmora
