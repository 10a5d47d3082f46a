#pragma once

#include <array>
#include <cstdint>

#include "analysis/bootstrap/estimators.h"

namespace velmora {

// 9999999 stands for three things, each named apart: a missing data cell
// (MISSING_VALUE, data_set.h), a variable the user has not chosen (below), and
// an estimate that cannot be computed (below).

// The column number of a variable the user has not chosen in the dialog.
inline constexpr std::int32_t UNCHOSEN_VARIABLE = 9999999;

// The mark of an estimate that cannot be computed: a d whose variance is not
// > 0, and both limits of an interval without a valid trial.
inline constexpr float NOT_COMPUTABLE = 9999999.0f;
inline bool isComputable(float estimate) {
    return static_cast<double>(estimate) != 9999999.0;
}

// The user's choices for one effect-size run.
struct AnalysisOptions {
    std::int32_t lngVar1 = UNCHOSEN_VARIABLE;
    std::int32_t lngVar2 = UNCHOSEN_VARIABLE;
    std::int32_t lngTrials = 600;
    float sngConfidenceLevel = 0.95f;  // 0.9f, 0.95f or 0.99f: the nearest singles
    std::int32_t lngNonpooledSdVar = 1;
};

// Records compare member by member, floats by == (either zero equals the other).

struct GroupStats {
    std::int32_t lngN = 0;
    float sngMean = 0.0f;
    float sngTrimmedMean = 0.0f;
    float sngVariance = 0.0f;
    float sngWinsMean = 0.0f;
    float sngWinsVariance = 0.0f;
    friend bool operator==(const GroupStats&, const GroupStats&) = default;
};

// A d that is not computable holds NOT_COMPUTABLE. The d values are indexed by
// Estimator; the named accessors are the fields' names elsewhere in the program.
struct EffectSizes {
    float sngPooledVar = 0.0f;
    float sngPooledWinsVar = 0.0f;
    std::array<float, kEstimatorCount> d{};

    float& of(Estimator e) { return d[estimatorIndex(e)]; }
    float of(Estimator e) const { return d[estimatorIndex(e)]; }
    float& sngPooledD() { return of(Estimator::PooledD); }
    float sngPooledD() const { return of(Estimator::PooledD); }
    float& sngPooledRobustD() { return of(Estimator::PooledRobustD); }
    float sngPooledRobustD() const { return of(Estimator::PooledRobustD); }
    float& sngNonpooledD() { return of(Estimator::NonpooledD); }
    float sngNonpooledD() const { return of(Estimator::NonpooledD); }
    float& sngNonpooledRobustD() { return of(Estimator::NonpooledRobustD); }
    float sngNonpooledRobustD() const { return of(Estimator::NonpooledRobustD); }
    friend bool operator==(const EffectSizes&, const EffectSizes&) = default;
};

struct PercentileInterval {
    float sngLower = 0.0f;
    float sngUpper = 0.0f;
    friend bool operator==(const PercentileInterval&, const PercentileInterval&) = default;
};

// Per estimator, indexed by Estimator: the trials in which its d was
// computable, and its percentile interval.
struct BootstrapSummary {
    std::int32_t lngTrials = 0;
    std::array<std::int32_t, kEstimatorCount> lngValid{};
    std::array<PercentileInterval, kEstimatorCount> ci{};

    std::int32_t& validOf(Estimator e) { return lngValid[estimatorIndex(e)]; }
    std::int32_t validOf(Estimator e) const { return lngValid[estimatorIndex(e)]; }
    PercentileInterval& ciOf(Estimator e) { return ci[estimatorIndex(e)]; }
    const PercentileInterval& ciOf(Estimator e) const { return ci[estimatorIndex(e)]; }

    std::int32_t& lngValidPooledD() { return validOf(Estimator::PooledD); }
    std::int32_t lngValidPooledD() const { return validOf(Estimator::PooledD); }
    std::int32_t& lngValidPooledRobustD() { return validOf(Estimator::PooledRobustD); }
    std::int32_t lngValidPooledRobustD() const { return validOf(Estimator::PooledRobustD); }
    std::int32_t& lngValidNonpooledD() { return validOf(Estimator::NonpooledD); }
    std::int32_t lngValidNonpooledD() const { return validOf(Estimator::NonpooledD); }
    std::int32_t& lngValidNonpooledRobustD() { return validOf(Estimator::NonpooledRobustD); }
    std::int32_t lngValidNonpooledRobustD() const { return validOf(Estimator::NonpooledRobustD); }
    PercentileInterval& ciPooledD() { return ciOf(Estimator::PooledD); }
    const PercentileInterval& ciPooledD() const { return ciOf(Estimator::PooledD); }
    PercentileInterval& ciPooledRobustD() { return ciOf(Estimator::PooledRobustD); }
    const PercentileInterval& ciPooledRobustD() const { return ciOf(Estimator::PooledRobustD); }
    PercentileInterval& ciNonpooledD() { return ciOf(Estimator::NonpooledD); }
    const PercentileInterval& ciNonpooledD() const { return ciOf(Estimator::NonpooledD); }
    PercentileInterval& ciNonpooledRobustD() { return ciOf(Estimator::NonpooledRobustD); }
    const PercentileInterval& ciNonpooledRobustD() const {
        return ciOf(Estimator::NonpooledRobustD);
    }
    friend bool operator==(const BootstrapSummary&, const BootstrapSummary&) = default;
};

}  // namespace velmora
