#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/bootstrap_engine.h"  // BootstrapHooks
#include "analysis/paired/paired_trials.h"
#include "data/data_set.h"
#include "runtime/random_stream.h"

namespace velmora {

// Stopped: one of the dialog's messages (shown in an "Analysis Error" box).
// Fault: an arithmetic fault such as overflow, or working storage that could
// not be allocated; the dialog ends silently, the batch program reports `message`.
enum class AnalysisStatus { Completed, Stopped, Fault };

struct AnalysisRun {
    AnalysisStatus status = AnalysisStatus::Stopped;
    // When stopped: the exact text of the "Analysis Error" box, e.g.
    // "Variable 1 and Variable 2 are identical." or
    // "Group 1 and Group 2 both have a zero variance."
    std::string message;
    // When completed: the observed results, the summary and the report text.
    GroupStats stats1;
    GroupStats stats2;
    EffectSizes observed;
    BootstrapSummary summary;
    std::string report;
    // When completed: whether the statistics were the accurate ones (the
    // report then names the variables single precision failed for).
    bool accurate = false;
    // When completed: the columns single precision failed for, as the
    // report's note names them (Var 1's first).
    std::vector<std::int32_t> lostPrecisionColumns;
    // When completed: that note's line as the report prints it (empty: none).
    std::string precisionNote;
    // When completed with hooks.paired: the paired d family of the same trials.
    std::optional<PairedRunResult> paired;
};

// The bootstrap's observers and threads, and the paired part.
struct EffectSizeHooks : BootstrapHooks {
    // Also compute the paired d family over the complete pairs (as written
    // where a column has values as written) in every trial, from the same
    // draws in the same pass; AnalysisRun::paired holds it. The Velmora
    // figures do not change.
    bool paired = false;
    // With the paired part: called with every trial's paired d family (not
    // computable ones empty), in trial order, right after `trial`.
    PairedTrials::TrialSeen pairedTrial;
};

// The OK command of the bootstrap dialog after the random stream has been
// seeded: the validations in their order, the observed pass, the zero-variance
// stop, the trials, the intervals and the report. The desktop program always
// runs Arithmetic::Auto; the batch program lets the user choose. `seed`, the
// seed `random` was seeded with, is printed in the report ("Seed = S"); both
// programs always give it.
AnalysisRun RunEffectSizeAnalysis(const DataSet& data, const AnalysisOptions& options,
                                  RandomStream& random, const EffectSizeHooks& hooks = {},
                                  Arithmetic arithmetic = Arithmetic::Auto,
                                  std::optional<std::uint64_t> seed = std::nullopt);

}  // namespace velmora
