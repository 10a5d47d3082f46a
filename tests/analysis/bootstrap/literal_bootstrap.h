#pragma once

#include <vector>

#include "analysis/bootstrap/bootstrap_engine.h"

namespace velmora::testing {

struct LiteralRun {
    BootstrapResult result;
    std::vector<EffectSizes> trials;  // every trial's estimates, trial order
};

// The reference: the trial loop carried out word for word. Each trial copies
// its drawn pairs into a sample, hands each column to ComputeGroupStats
// (which sorts it), and the limits are read from lists sorted at the end.
// Only for up to 2^24 pairs (one single per draw). Slow on purpose.
LiteralRun RunLiteralBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                               RandomStream& random);

}  // namespace velmora::testing
