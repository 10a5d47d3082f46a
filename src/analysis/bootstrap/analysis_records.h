#pragma once

#include <cstdint>

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

// A d that is not computable holds NOT_COMPUTABLE.
struct EffectSizes {
    float sngPooledVar = 0.0f;
    float sngPooledWinsVar = 0.0f;
    float sngPooledD = 0.0f;
    float sngPooledRobustD = 0.0f;
    float sngNonpooledD = 0.0f;
    float sngNonpooledRobustD = 0.0f;
    friend bool operator==(const EffectSizes&, const EffectSizes&) = default;
};

struct PercentileInterval {
    float sngLower = 0.0f;
    float sngUpper = 0.0f;
    friend bool operator==(const PercentileInterval&, const PercentileInterval&) = default;
};

struct BootstrapSummary {
    std::int32_t lngTrials = 0;
    std::int32_t lngValidPooledD = 0;
    std::int32_t lngValidPooledRobustD = 0;
    std::int32_t lngValidNonpooledD = 0;
    std::int32_t lngValidNonpooledRobustD = 0;
    PercentileInterval ciPooledD;
    PercentileInterval ciPooledRobustD;
    PercentileInterval ciNonpooledD;
    PercentileInterval ciNonpooledRobustD;
    friend bool operator==(const BootstrapSummary&, const BootstrapSummary&) = default;
};

}  // namespace velmora
