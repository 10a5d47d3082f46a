#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/paired_sample.h"

namespace velmora {

// The complete pairs of a run, each with its positions in the stable
// ascending order of its two columns, and both columns sorted. Built once per
// run and only read afterwards, so any number of threads may share it.
class RankedPairs {
public:
    explicit RankedPairs(const CompletePairs& pairs);

    std::size_t size() const { return m_pairs.size(); }

    struct Pair {
        float v1;
        float v2;
        std::uint32_t rank1;
        std::uint32_t rank2;
    };
    const Pair* pairs() const { return m_pairs.data(); }
    const float* sorted1() const { return m_sorted1.data(); }
    const float* sorted2() const { return m_sorted2.data(); }

private:
    std::vector<Pair> m_pairs;
    std::vector<float> m_sorted1;
    std::vector<float> m_sorted2;
};

// The group statistics of bootstrap trials, in single-precision running sums
// exactly as ComputeGroupStats forms them on a copied and sorted trial, in
// O(nPairs) per trial: S and Q follow the draw order, and each column's
// ascending order follows from how often each rank was drawn. One instance
// is one thread's workspace (O(nPairs) memory); it only reads `pairs`.
class TrialStatistics {
public:
    // Trials computed side by side in one call.
    static constexpr int kLanes = 2;

    explicit TrialStatistics(const RankedPairs& pairs);

    // The statistics of `count` (1..kLanes) trials: drawn[k] holds trial k's
    // nPairs drawn pairs (0-based, in draw order); the results go to
    // stats1[k] (Var 1) and stats2[k] (Var 2). An overflow leaves a
    // non-finite field.
    void compute(int count, const std::uint32_t* const* drawn, GroupStats* stats1,
                 GroupStats* stats2);

private:
    template <int K>
    void computeLanes(const std::uint32_t* const* drawn, GroupStats* stats1, GroupStats* stats2);

    struct Lane {
        std::vector<std::uint32_t> count1;
        std::vector<std::uint32_t> count2;
        std::vector<float> laid1;
        std::vector<float> laid2;
    };

    const RankedPairs& m_ranked;
    std::size_t m_n;
    Lane m_lanes[kLanes];
};

}  // namespace velmora
