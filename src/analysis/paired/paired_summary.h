#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/paired/bca_interval.h"
#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_estimates.h"

namespace velmora {

// Each estimator's valid trial values, kept in the order they are added
// (trial order), as the bootstrap keeps its own four lists.
class PairedTrialLists {
public:
    void reserve(std::int32_t trials);
    // One trial's family; an estimate that is not computable adds nothing.
    void add(const PairedEstimates& trial);
    std::span<const double> values(PairedEffect effect) const {
        return m_values[static_cast<std::size_t>(effect)];
    }
    // Puts every list in ascending order (after the last trial).
    void sort();

private:
    std::array<std::vector<double>, kPairedEffectCount> m_values;
};

struct PairedEffectSummary {
    std::int32_t lngValid = 0;  // trials in which the estimate was computable
    PairedInterval percentile;
    PairedInterval bca;
    friend bool operator==(const PairedEffectSummary&, const PairedEffectSummary&) = default;
};

// The intervals of a completed run, per estimator in the order of PairedEffect.
struct PairedSummary {
    std::int32_t lngTrials = 0;
    std::array<PairedEffectSummary, kPairedEffectCount> effects;
    const PairedEffectSummary& of(PairedEffect effect) const {
        return effects[static_cast<std::size_t>(effect)];
    }
    friend bool operator==(const PairedSummary&, const PairedSummary&) = default;
};

// After the last trial: the lists sorted (in place), and for each estimator
// its percentile interval and its BCa interval from the observed d and its
// acceleration, both reduced by PairedPositionRule.
PairedSummary SummarizePairedTrials(PairedTrialLists& lists, const PairedObserved& observed,
                                    const PairedEstimates& accelerations, std::int32_t lngTrials,
                                    float sngConfidenceLevel);

}  // namespace velmora
