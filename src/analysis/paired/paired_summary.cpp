#include "analysis/paired/paired_summary.h"

#include <algorithm>

namespace velmora {

void PairedTrialLists::reserve(std::int32_t trials) {
    for (std::vector<double>& list : m_values)
        list.reserve(static_cast<std::size_t>(std::max(trials, 0)));
}

void PairedTrialLists::add(const PairedEstimates& trial) {
    for (std::size_t e = 0; e < m_values.size(); ++e)
        if (trial[e]) m_values[e].push_back(*trial[e]);
}

void PairedTrialLists::sort() {
    for (std::vector<double>& list : m_values) std::sort(list.begin(), list.end());
}

PairedSummary SummarizePairedTrials(PairedTrialLists& lists, const PairedObserved& observed,
                                    const PairedEstimates& accelerations, std::int32_t lngTrials,
                                    float sngConfidenceLevel) {
    lists.sort();
    PairedSummary summary;
    summary.lngTrials = lngTrials;
    for (PairedEffect effect : kPairedEffects) {
        const auto e = static_cast<std::size_t>(effect);
        const std::span<const double> values = lists.values(effect);
        const PositionRule rule = PairedPositionRule(effect);
        PairedEffectSummary& out = summary.effects[e];
        out.lngValid = static_cast<std::int32_t>(values.size());
        out.percentile = ReadPairedPercentileInterval(values, sngConfidenceLevel, rule);
        out.bca =
            ReadBcaInterval(values, observed.d[e], accelerations[e], sngConfidenceLevel, rule);
    }
    return summary;
}

}  // namespace velmora
