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
// `accurate`: every pass takes LiteralAccurateStats instead, of the values
// as written for a column that has them (the singles still tell which cells
// are missing).
LiteralRun RunLiteralBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                               RandomStream& random, bool accurate = false);

// The accurate statistics by their definitions, two passes in exact
// arithmetic: the mean S / n, then the deviations n x - S and
// variance sum((n x - S)^2) / (n^2 (n - 1)); the Winsorized sample written
// out and treated alike. For up to 2^21 values.
GroupStats LiteralAccurateStats(std::vector<float> values);
GroupStats LiteralAccurateStats(std::vector<double> values);

// The accurate estimates by their definitions in rational arithmetic (GMP):
// the means, trimmed means, variances and Winsorized variances of both
// columns exactly, the pooled variances and the differences exactly, each d
// taken to 256 bits through MPFR's root and rounded once to single.
EffectSizes LiteralAccurateEstimates(const std::vector<double>& values1,
                                     const std::vector<double>& values2,
                                     std::int32_t lngNonpooledSdVar);

}  // namespace velmora::testing
