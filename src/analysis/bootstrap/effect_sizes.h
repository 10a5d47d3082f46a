#pragma once

#include <cstdint>

#include "analysis/bootstrap/analysis_records.h"

namespace velmora {

// sqrt(0.4129) in double; the robust d values are rescaled by it unrounded.
inline constexpr double ROBUST_SCALE = 0.6425729530566938;

// The mark of a d that is not computable (its variance is not > 0).
inline constexpr float NOT_COMPUTABLE = 9999999.0f;
inline bool isComputable(float estimate) {
    return static_cast<double>(estimate) != 9999999.0;
}

// The pooled variances and the four d values of one sample, all Var 2 minus
// Var 1. lngNonpooledSdVar 2 takes the nonpooled variances from stats2; any
// other value (the dialog only gives 1 or 2) takes them from stats1. Each
// pooled variance is stored as single before its root; a variance that is 0
// or negative gives 9999999 for the d built on it.
EffectSizes ComputeEffectSizes(const GroupStats& stats1, const GroupStats& stats2,
                               std::int32_t lngNonpooledSdVar);

}  // namespace velmora
