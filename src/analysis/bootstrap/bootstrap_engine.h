#pragma once

#include <cstdint>
#include <functional>

#include "analysis/arithmetic.h"
#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/pair_draws.h"
#include "analysis/resampling/paired_sample.h"
#include "analysis/resampling/trial_consumer.h"
#include "runtime/random_stream.h"

namespace velmora {

// Observers of a run and the threads it may use. Both callbacks are optional
// and are called on the thread that called RunBootstrap, never on a worker.
struct BootstrapHooks {
    // Called with t (1..T, each once, increasing) just before trial t's draws
    // are read from the stream; the dialog repaints its trial box. It may run
    // a few trials ahead of the statistics computed so far.
    std::function<void(std::int32_t t)> progress;
    // Called with every trial's estimates (invalid ones hold NOT_COMPUTABLE), in
    // trial order, up to the last trial before a fault.
    std::function<void(std::int32_t t, const EffectSizes& estimates)> trial;
    // A family also computed from every trial's draws in the same pass
    // (begun once the observed pass allows trials, each trial committed
    // right after `trial`, finished when the run completes); null for none.
    // The Velmora figures do not change.
    TrialConsumer* consumer = nullptr;
    // Threads that compute the trials, the calling thread included; 0 means
    // one per hardware thread. The result never depends on it: the stream is
    // read on the calling thread alone, in trial order and row order, and the
    // values are kept in trial order.
    int threads = 0;
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
    // The observed pass and every trial used the accurate statistics.
    bool accurate = false;
    // Single precision failed for Var 1 / Var 2 on the observed data (tested
    // under Auto and Double; a single figure beyond the range counts as
    // failed under Double).
    bool singleFailed1 = false;
    bool singleFailed2 = false;
};

// The observed pass and options.lngTrials bootstrap trials over the complete
// pairs of `sample`, then the four percentile intervals. Trial t draws nPairs
// pair numbers with DrawPairNumber, in row order, from `random`, and nothing
// else reads the stream, so a given stream state fixes the result whatever
// hooks.threads says; an overflow names the earliest faulting trial. The
// stream may be read a few trials beyond a faulting one. Memory: O(nPairs)
// per thread. Estimators without a valid trial get NOT_COMPUTABLE limits.
// `arithmetic` chooses the statistics of the whole run (observed pass and
// trials): the single-precision ones, the accurate ones, or under Auto the
// accurate ones when single precision fails for either variable on the
// observed data. Under Auto an overflow of the single figures is the fault
// it always was. The accurate statistics of a column with values as written
// (sample.dblVar1, dblVar2) are those of the written values, ranked and
// trimmed by them, in the observed pass and in every trial.
BootstrapResult RunBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                             RandomStream& random, const BootstrapHooks& hooks = {},
                             Arithmetic arithmetic = Arithmetic::Single);

// The number of threads a run with `requested` threads uses at most: the
// count itself, or one per hardware thread for 0 (at least 1).
int ResolveBootstrapThreads(int requested);

}  // namespace velmora
