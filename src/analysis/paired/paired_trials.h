#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_estimates.h"
#include "analysis/paired/paired_summary.h"
#include "analysis/resampling/trial_consumer.h"

namespace velmora {

// What a completed run leaves of the paired d family: the observed family,
// the jackknife's accelerations and the summary of the trials.
struct PairedRunResult {
    PairedObserved observed;
    PairedEstimates accelerations;
    PairedSummary summary;
};

// The paired d family over the complete pairs (as written where a column has
// values as written), computed from the draws of a bootstrap run's trials in
// the same pass: each trial's family from its draw counts, and once the run
// completed the observed family, the jackknife and the intervals. The run's
// own figures do not change.
class PairedTrials final : public TrialConsumer {
public:
    // Called with every trial's family (not computable ones empty), in trial
    // order, on the thread that called the run.
    using TrialSeen = std::function<void(std::int32_t t, const PairedEstimates& estimates)>;

    explicit PairedTrials(const AnalysisOptions& options, TrialSeen seen = {});

    // Set once the run completed.
    const std::optional<PairedRunResult>& result() const { return m_result; }

    void begin(const PairedSample& sample) override;
    void reserveRecords(std::size_t records) override;
    std::unique_ptr<Workspace> makeWorkspace() override;
    void commit(std::int32_t t, std::size_t record) override;
    void finish() override;

private:
    class TrialWorkspace;

    AnalysisOptions m_options;
    TrialSeen m_seen;
    std::optional<PairedColumns> m_columns;
    std::vector<PairedEstimates> m_records;
    PairedTrialLists m_lists;
    std::optional<PairedRunResult> m_result;
};

}  // namespace velmora
