#include "analysis/paired/paired_trials.h"

#include <algorithm>

#include "analysis/paired/paired_jackknife.h"
#include "runtime/contract.h"

namespace velmora {

class PairedTrials::TrialWorkspace final : public TrialConsumer::Workspace {
public:
    TrialWorkspace(const PairedColumns& columns, std::vector<PairedEstimates>& records,
                   std::int32_t lngSdVar)
        : m_statistics(columns), m_records(records), m_sdVar(lngSdVar) {}

    void compute(const std::uint32_t* drawn, std::size_t record) override {
        VELMORA_EXPECTS(record < m_records.size());
        m_records[record] = m_statistics.compute(drawn, m_sdVar);
    }

private:
    PairedTrialStatistics m_statistics;
    std::vector<PairedEstimates>& m_records;
    std::int32_t m_sdVar;
};

PairedTrials::PairedTrials(const AnalysisOptions& options, TrialSeen seen)
    : m_options(options), m_seen(std::move(seen)) {}

void PairedTrials::begin(const PairedSample& sample) {
    VELMORA_EXPECTS(sample.nPairs >= 2);
    // The paired family ranks its own columns: D, and the values as written.
    m_columns.emplace(CollectWrittenPairs(sample));
    m_lists.reserve(std::max(m_options.lngTrials, 0));
}

void PairedTrials::reserveRecords(std::size_t records) {
    m_records.resize(records);
}

std::unique_ptr<TrialConsumer::Workspace> PairedTrials::makeWorkspace() {
    VELMORA_EXPECTS(m_columns.has_value());
    // The workspaces write to distinct slots, which the run reads back only
    // after their trials are done.
    return std::make_unique<TrialWorkspace>(*m_columns, m_records, m_options.lngNonpooledSdVar);
}

void PairedTrials::commit(std::int32_t t, std::size_t record) {
    const PairedEstimates& estimates = m_records[record];
    if (m_seen) m_seen(t, estimates);
    m_lists.add(estimates);
}

void PairedTrials::finish() {
    VELMORA_EXPECTS(m_columns.has_value());
    PairedRunResult out;
    out.observed = ComputePairedObserved(*m_columns, m_options.lngNonpooledSdVar);
    out.accelerations = PairedAccelerations(*m_columns, m_options.lngNonpooledSdVar);
    out.summary = SummarizePairedTrials(m_lists, out.observed, out.accelerations,
                                        m_options.lngTrials, m_options.sngConfidenceLevel);
    m_result = std::move(out);
}

}  // namespace velmora
