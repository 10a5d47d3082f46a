#include "analysis/bootstrap/bootstrap_engine.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "analysis/bootstrap/accurate_group_stats.h"
#include "analysis/bootstrap/accurate_trial_statistics.h"
#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/bootstrap/pair_draws.h"
#include "analysis/bootstrap/percentile_interval.h"
#include "analysis/bootstrap/ranked_pairs.h"
#include "analysis/bootstrap/single_trial_statistics.h"
#include "analysis/bootstrap/trial_pipeline.h"

namespace velmora {

namespace {

// One estimator's valid trial values, in trial order.
struct ValueList {
    std::vector<float> values;
    void addIfValid(float estimate) {
        if (isComputable(estimate)) values.push_back(estimate);
    }
    std::int32_t count() const { return static_cast<std::int32_t>(values.size()); }
};

// What the run keeps of its trials, in trial order.
struct TrialValues {
    std::array<ValueList, kEstimatorCount> lists;

    explicit TrialValues(std::int32_t trials) {
        for (ValueList& list : lists) list.values.reserve(static_cast<std::size_t>(trials));
    }
};

// Below this many drawn pairs a batch would cost more to hand over than to compute.
constexpr std::int64_t kPairsPerBatch = 1 << 16;

// The accurate figures of both observed columns, each variable with all of
// its own values. Values as written in either column put both in double, as
// in the trials: a single is its own double, so the other column's figures
// do not change.
struct ObservedAccurate {
    GroupStats stats1;
    GroupStats stats2;
    EffectSizes estimates;
};

template <typename Real>
ObservedAccurate observedAccurate(std::span<const Real> values1, std::span<const Real> values2,
                                  std::int32_t lngNonpooledSdVar) {
    const ExactColumn<Real> column1 = ExactColumnOf(values1);
    const ExactColumn<Real> column2 = ExactColumnOf(values2);
    return {GroupStatsOf(column1), GroupStatsOf(column2),
            ComputeAccurateEffectSizes(column1, column2, lngNonpooledSdVar)};
}

ObservedAccurate observedAccurate(const PairedSample& sample, const std::vector<float>& values1,
                                  const std::vector<float>& values2,
                                  std::int32_t lngNonpooledSdVar) {
    if (!sample.hasWrittenValues())
        return observedAccurate<float>(values1, values2, lngNonpooledSdVar);
    const auto column = [&](int c, const std::vector<float>& singles) {
        const bool written = !(c == 1 ? sample.dblVar1 : sample.dblVar2).empty();
        return written ? PresentWrittenValues(sample, c)
                       : std::vector<double>(singles.begin(), singles.end());
    };
    return observedAccurate<double>(column(1, values1), column(2, values2), lngNonpooledSdVar);
}

// Pass 0: the observed statistics and estimates, each variable with all of
// its own values, in the arithmetic of the run, and whether single precision
// failed.
void computeObservedPass(const PairedSample& sample, Arithmetic arithmetic,
                         std::int32_t lngNonpooledSdVar, BootstrapResult& result) {
    const std::vector<float> values1 = PresentValues(sample, 1);
    const std::vector<float> values2 = PresentValues(sample, 2);
    if (arithmetic != Arithmetic::Double) {
        result.stats1 = ComputeGroupStats(values1);
        result.stats2 = ComputeGroupStats(values2);
    }
    // Single figures beyond the range stay the fault they always were, unless
    // only the accurate ones count.
    const bool singleFinite = AllFinite(result.stats1) && AllFinite(result.stats2);
    if (arithmetic != Arithmetic::Single && !(arithmetic == Arithmetic::Auto && !singleFinite)) {
        const ObservedAccurate accurate =
            observedAccurate(sample, values1, values2, lngNonpooledSdVar);
        if (arithmetic == Arithmetic::Auto) {
            result.singleFailed1 = SinglePrecisionFailed(result.stats1, accurate.stats1);
            result.singleFailed2 = SinglePrecisionFailed(result.stats2, accurate.stats2);
        } else {
            const auto failed = [](std::span<const float> values, const GroupStats& accurate) {
                const GroupStats single = ComputeGroupStats(values);
                return !AllFinite(single) || SinglePrecisionFailed(single, accurate);
            };
            result.singleFailed1 = failed(values1, accurate.stats1);
            result.singleFailed2 = failed(values2, accurate.stats2);
        }
        result.accurate =
            arithmetic == Arithmetic::Double || result.singleFailed1 || result.singleFailed2;
        if (result.accurate) {
            result.stats1 = accurate.stats1;
            result.stats2 = accurate.stats2;
            result.observed = accurate.estimates;
            return;
        }
    }
    result.observed = ComputeEffectSizes(result.stats1, result.stats2, lngNonpooledSdVar);
}

// Small samples go in batches of several trials so that handing a batch to a
// thread costs little beside computing it, yet every thread gets a few
// batches, so that all of them share the work. A whole number of lanes.
std::int32_t trialsPerBatchFor(std::int32_t trials, std::int32_t nPairs, int threads,
                               std::int32_t lanes) {
    const std::int64_t bySize = std::max<std::int64_t>(1, kPairsPerBatch / nPairs);
    const std::int64_t byShare = (trials + 8 * std::int64_t{threads} - 1) / (8 * threads);
    const auto wanted = static_cast<std::int32_t>(std::min(bySize, byShare));
    return (wanted + lanes - 1) / lanes * lanes;
}

// Trials 1..T (T >= 1) on the statistics of the run, every thread computing,
// the values kept in trial order. False at the first trial that overflows,
// which `result` names.
bool runTrials(const PairedSample& sample, const AnalysisOptions& options, RandomStream& random,
               const BootstrapHooks& hooks, TrialValues& values, BootstrapResult& result) {
    const std::int32_t trials = options.lngTrials;
    const auto draw = [&](std::int32_t t, TrialDraws draws) {
        if (hooks.progress) hooks.progress(t);
        DrawTrial(random, sample.nPairs, draws);
    };
    const auto commit = [&](std::int32_t t, const TrialOutcome& outcome, std::size_t record) {
        if (outcome.overflow) {
            result.outcome = BootstrapOutcome::Overflow;
            result.lngFaultPass = t;
            return false;
        }
        const EffectSizes& es = outcome.estimates;
        if (hooks.trial) hooks.trial(t, es);
        if (hooks.consumer) hooks.consumer->commit(t, record);
        for (std::size_t k = 0; k < kEstimatorCount; ++k) values.lists[k].addIfValid(es.d[k]);
        return true;
    };
    const auto run = [&]<typename Statistics>(const typename Statistics::Source& source) {
        const int allowed = ResolveBootstrapThreads(hooks.threads);
        const std::int32_t trialsPerBatch =
            trialsPerBatchFor(trials, sample.nPairs, allowed, Statistics::kLanes);
        const std::int32_t batches = (trials + trialsPerBatch - 1) / trialsPerBatch;
        const int threads = std::min(allowed, batches);
        TrialPipeline<Statistics> pipeline(source, hooks.consumer, sample.nPairs,
                                           options.lngNonpooledSdVar, threads, trialsPerBatch);
        pipeline.run(trials, trialsPerBatch, draw, commit);
    };
    // Values as written in either column put both columns' accurate sums in
    // double: a single is its own double, so the other column's figures do
    // not change.
    if (result.accurate && sample.hasWrittenValues()) {
        run.operator()<WrittenTrialStatistics>(WrittenRankedParts(CollectWrittenPairs(sample)));
    } else {
        const RankedPairs ranked(CollectCompletePairs(sample));
        if (result.accurate)
            run.operator()<AccurateTrialStatistics>(RankedParts(ranked));
        else
            run.operator()<TrialStatistics>(ranked);
    }
    return result.outcome != BootstrapOutcome::Overflow;
}

// Each estimator's valid count and percentile interval.
BootstrapSummary summarizeTrials(TrialValues& values, const AnalysisOptions& options) {
    BootstrapSummary summary;
    summary.lngTrials = options.lngTrials;
    for (Estimator e : kEstimators) {
        ValueList& list = values.lists[estimatorIndex(e)];
        summary.validOf(e) = list.count();
        summary.ciOf(e) =
            ReadPercentileInterval(list.values, options.sngConfidenceLevel, rulesOf(e).reduction);
    }
    return summary;
}

}  // namespace

int ResolveBootstrapThreads(int requested) {
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : static_cast<int>(hardware);
}

BootstrapResult RunBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                             RandomStream& random, const BootstrapHooks& hooks,
                             Arithmetic arithmetic) {
    BootstrapResult result;
    if (sample.n1 < 2 || sample.n2 < 2 || sample.nPairs < 2) {
        result.outcome = BootstrapOutcome::InsufficientData;
        return result;
    }
    computeObservedPass(sample, arithmetic, options.lngNonpooledSdVar, result);
    if (!AllFinite(result.stats1) || !AllFinite(result.stats2) || !AllFinite(result.observed)) {
        result.outcome = BootstrapOutcome::Overflow;
        result.lngFaultPass = 0;
        return result;
    }
    if (!(result.stats1.sngVariance > 0.0f) && !(result.stats2.sngVariance > 0.0f)) {
        result.outcome = BootstrapOutcome::ZeroVariance;
        return result;
    }

    const std::int32_t trials = std::max(options.lngTrials, 0);
    if (hooks.consumer) hooks.consumer->begin(sample);
    TrialValues values(trials);
    if (trials > 0 && !runTrials(sample, options, random, hooks, values, result)) return result;

    result.summary = summarizeTrials(values, options);
    if (hooks.consumer) hooks.consumer->finish();
    result.outcome = BootstrapOutcome::Completed;
    return result;
}

}  // namespace velmora
