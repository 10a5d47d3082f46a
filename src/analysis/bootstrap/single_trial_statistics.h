#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/draw_counts.h"
#include "analysis/bootstrap/ranked_pairs.h"
#include "runtime/large_page_allocator.h"

namespace velmora {

// The group statistics of bootstrap trials, in single-precision running sums
// exactly as ComputeGroupStats forms them on a copied and sorted trial, in
// O(nPairs) per trial: S and Q follow the draw order, and each column's
// ascending order follows from how often each pair was drawn. One instance
// is one thread's workspace (one byte per pair and lane); it only reads
// `pairs`.
class TrialStatistics {
public:
    using Source = RankedPairs;
    // Trials computed side by side in one call.
    static constexpr int kLanes = 2;

    explicit TrialStatistics(const RankedPairs& pairs);

    // The statistics of `count` (1..kLanes) trials: drawn[k] holds trial k's
    // nPairs drawn pairs (0-based, in draw order); the results go to
    // stats1[k] (Var 1) and stats2[k] (Var 2). An overflow leaves a
    // non-finite field.
    void compute(int count, const std::uint32_t* const* drawn, GroupStats* stats1,
                 GroupStats* stats2);
    // The estimates of lane k's trial from its statistics.
    static EffectSizes estimates(int k, const GroupStats& stats1, const GroupStats& stats2,
                                 std::int32_t lngNonpooledSdVar);

private:
    template <int K>
    void computeLanes(const std::uint32_t* const* drawn, GroupStats* stats1, GroupStats* stats2);

    // How often each pair was drawn in one trial (countDraw).
    struct Lane {
        std::vector<std::uint8_t, LargePageAllocator<std::uint8_t>> count;
        ExtraDraws extra;
    };

    const RankedPairs& m_ranked;
    std::size_t m_n;
    Lane m_lanes[kLanes];
};

}  // namespace velmora
