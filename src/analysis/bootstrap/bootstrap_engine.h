#pragma once

#include <cstdint>
#include <functional>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/paired_sample.h"
#include "runtime/random_stream.h"

namespace velmora {

// Observers of a run. Both callbacks are optional.
struct BootstrapHooks {
    // Called with t before the draws of trial t (1..T); the dialog repaints its trial box.
    std::function<void(std::int32_t t)> progress;
    // Called with every trial's estimates (invalid ones hold 9999999), in trial order.
    std::function<void(std::int32_t t, const EffectSizes& estimates)> trial;
    // Worker threads the caller allows for the trials (0 = choose). The
    // result never depends on it: the stream is read in trial order on the
    // calling thread. The engine currently computes on that thread alone,
    // which already meets its speed goal.
    int threads = 1;
};

enum class BootstrapOutcome {
    Completed,
    // Neither observed variance is > 0; no trial was run.
    ZeroVariance,
    // A sum or statistic left the single-precision range (lngFaultPass says where).
    Overflow,
    // Fewer than 2 values of a variable or 2 complete pairs: nothing was computed.
    InsufficientData,
};

struct BootstrapResult {
    BootstrapOutcome outcome = BootstrapOutcome::InsufficientData;
    // The pass in which an overflow appeared: 0 the observed sample, t trial t.
    std::int32_t lngFaultPass = -1;
    // The observed results (kept from pass 0 unless the data were insufficient).
    GroupStats stats1;
    GroupStats stats2;
    EffectSizes observed;
    // Complete only when outcome is Completed.
    BootstrapSummary summary;
};

// The observed pass and options.lngTrials bootstrap trials over the complete
// pairs of `sample`, then the four percentile intervals. Trial t draws nPairs
// pair numbers with DrawPairNumber, in row order, from `random`, and nothing
// else reads the stream, so a given stream state fixes the result whatever
// hooks.threads says. Estimators without a valid trial get 9999999 limits.
BootstrapResult RunBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                             RandomStream& random, const BootstrapHooks& hooks = {});

// Up to this many complete pairs a draw is ceil(u * nPairs) from one single u.
inline constexpr std::int32_t SINGLE_DRAW_LIMIT = 16777216;  // 2^24

// One draw of a complete pair, 1-based, every pair with equal chance.
// nPairs <= 2^24: p = ceil(u * nPairs) in double (as -floor(-u * nPairs)) from
// u = nextSingle(), a u of exactly 0 discarded and drawn again.
// nPairs > 2^24: a single u has only 2^24 values and could not reach most
// pairs, so p comes from nextBits64() by multiply-and-reject, which is exactly
// uniform. Precondition: nPairs >= 1.
std::int32_t DrawPairNumber(RandomStream& random, std::int32_t nPairs);

}  // namespace velmora
