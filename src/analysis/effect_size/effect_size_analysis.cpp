#include "analysis/effect_size/effect_size_analysis.h"

#include <new>
#include <stdexcept>

#include "analysis/bootstrap/effect_size_report.h"
#include "analysis/resampling/paired_sample.h"

namespace velmora {

namespace {

AnalysisRun stopped(std::string message) {
    AnalysisRun run;
    run.status = AnalysisStatus::Stopped;
    run.message = std::move(message);
    return run;
}

}  // namespace

static AnalysisRun analyse(const DataSet& data, const AnalysisOptions& options,
                           RandomStream& random, const EffectSizeHooks& hooks,
                           Arithmetic arithmetic, std::optional<std::uint64_t> seed) {
    if (options.lngVar1 == UNCHOSEN_VARIABLE) return stopped("Variable 1 must be selected.");
    if (options.lngVar2 == UNCHOSEN_VARIABLE) return stopped("Variable 2 must be selected.");
    if (options.lngVar1 == options.lngVar2)
        return stopped("Variable 1 and Variable 2 are identical.");

    const PairedSample sample = BuildPairedSample(data, options.lngVar1, options.lngVar2);
    if (sample.n1 < 2)
        return stopped("There is an insufficient number of observations for Variable 1.");
    if (sample.n2 < 2)
        return stopped("There is an insufficient number of observations for Variable 2.");
    if (sample.nPairs < 2)
        return stopped(
            "There is an insufficient number of joint observations for Variables 1 and 2.");

    std::optional<PairedTrials> paired;
    BootstrapHooks engineHooks = hooks;
    if (hooks.paired) engineHooks.consumer = &paired.emplace(options, hooks.pairedTrial);
    const BootstrapResult result = RunBootstrap(sample, options, random, engineHooks, arithmetic);
    AnalysisRun run;
    switch (result.outcome) {
        case BootstrapOutcome::ZeroVariance:
            return stopped("Group 1 and Group 2 both have a zero variance.");
        case BootstrapOutcome::Overflow:
            run.status = AnalysisStatus::Fault;
            run.message = result.lngFaultPass == 0
                              ? std::string("Arithmetic overflow in the observed sample.")
                              : "Arithmetic overflow in bootstrap trial " +
                                    std::to_string(result.lngFaultPass) + ".";
            return run;
        case BootstrapOutcome::InsufficientData:
            // The counts were checked above; kept so that every outcome maps.
            return stopped(
                "There is an insufficient number of joint observations for Variables 1 and 2.");
        case BootstrapOutcome::Completed:
            break;
    }
    run.status = AnalysisStatus::Completed;
    run.stats1 = result.stats1;
    run.stats2 = result.stats2;
    run.observed = result.observed;
    run.summary = result.summary;
    run.accurate = result.accurate;
    if (paired) run.paired = paired->result();
    EffectSizeReportNotes notes;
    notes.seed = seed;
    notes.cases = EffectSizeReportNotes::CaseCounts{sample.n1, sample.n2, sample.nPairs};
    notes.name1 = data.variableName(options.lngVar1);
    notes.name2 = data.variableName(options.lngVar2);
    if (result.singleFailed1) notes.lostPrecisionColumns.push_back(options.lngVar1);
    if (result.singleFailed2) notes.lostPrecisionColumns.push_back(options.lngVar2);
    run.lostPrecisionColumns = notes.lostPrecisionColumns;
    run.precisionNote = precisionNoteText(options, notes);
    run.report =
        BuildEffectSizeReport(options, run.stats1, run.stats2, run.observed, run.summary, notes);
    return run;
}

AnalysisRun RunEffectSizeAnalysis(const DataSet& data, const AnalysisOptions& options,
                                  RandomStream& random, const EffectSizeHooks& hooks,
                                  Arithmetic arithmetic, std::optional<std::uint64_t> seed) {
    // The run's working storage grows with the pairs and the trials; when it
    // cannot be had the run ends as a fault, with nothing to report.
    try {
        return analyse(data, options, random, hooks, arithmetic, seed);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    AnalysisRun run;
    run.status = AnalysisStatus::Fault;
    run.message = "There is not enough memory for the bootstrap trials.";
    return run;
}

}  // namespace velmora
