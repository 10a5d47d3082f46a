#pragma once

#include <cstdint>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/resampling/trimming.h"

namespace velmora {

// The pooled variances and the four d values of one sample, all Var 2 minus
// Var 1. lngNonpooledSdVar 2 takes the nonpooled variances from stats2; any
// other value (the dialog only gives 1 or 2) takes them from stats1. Each
// pooled variance is stored as single before its root; a variance that is 0
// or negative gives NOT_COMPUTABLE for the d built on it.
EffectSizes ComputeEffectSizes(const GroupStats& stats1, const GroupStats& stats2,
                               std::int32_t lngNonpooledSdVar);

// Both pooled variances and every d finite (NOT_COMPUTABLE is finite).
bool AllFinite(const EffectSizes& estimates);

}  // namespace velmora
