#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "analysis/bootstrap/accurate_group_stats.h"
#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/paired_sample.h"
#include "analysis/exact_sums.h"
#include "runtime/large_page_allocator.h"

namespace velmora {

// The complete pairs of a run with each column's stable ascending order (the
// pair number at every position, and the value there). Built once per run
// and only read afterwards, so any number of threads may share it.
class RankedPairs {
public:
    explicit RankedPairs(const CompletePairs& pairs);

    std::size_t size() const { return m_values.size(); }

    struct Values {
        float v1;
        float v2;
    };
    const Values* values() const { return m_values.data(); }
    const std::uint32_t* order1() const { return m_order1.data(); }
    const std::uint32_t* order2() const { return m_order2.data(); }
    const float* sorted1() const { return m_sorted1.data(); }
    const float* sorted2() const { return m_sorted2.data(); }

private:
    std::vector<Values, LargePageAllocator<Values>> m_values;
    std::vector<std::uint32_t> m_order1;
    std::vector<std::uint32_t> m_order2;
    std::vector<float> m_sorted1;
    std::vector<float> m_sorted2;
};

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

    // How often each pair was drawn in one trial. A byte holds any likely
    // count; a pair drawn more than 255 times keeps 255 there and the rest
    // in `extra`.
    struct Lane {
        std::vector<std::uint8_t, LargePageAllocator<std::uint8_t>> count;
        std::unordered_map<std::uint32_t, std::uint32_t> extra;
    };

    const RankedPairs& m_ranked;
    std::size_t m_n;
    Lane m_lanes[kLanes];
};

// Each column of the complete pairs in stable ascending order (the pair
// number at every rank and the value there), with every ranked value split
// into binade and mantissa, and the ranks cut into runs of one binade
// (ascending values keep a binade together, except that a negative and a
// positive stretch may share one). Real is float for the singles, whose
// order the ranked pairs already hold, or double for the values as written
// in the data file, ranked here by those values. Built once per run and only
// read afterwards.
template <typename Real>
class BasicRankedParts {
public:
    using Mantissa = typename ExactFormat<Real>::Mantissa;
    // What the parts are built from: the ranked pairs of singles, or the
    // complete pairs as written.
    using Pairs = std::conditional_t<std::is_same_v<Real, float>, RankedPairs, WrittenPairs>;

    explicit BasicRankedParts(const Pairs& pairs);

    std::size_t size() const { return m_n; }

    struct Run {
        std::uint32_t firstRank;
        int binade;
    };
    const std::uint32_t* order(int column) const { return m_order[column - 1]; }
    const Real* sorted(int column) const { return m_sorted[column - 1]; }
    // Mantissas by rank, and the runs followed by an end mark {size(), 0}.
    const Mantissa* mantissas(int column) const { return m_mantissas[column - 1].data(); }
    const std::vector<Run>& runs(int column) const { return m_runs[column - 1]; }

private:
    void splitColumns();

    std::size_t m_n = 0;
    const std::uint32_t* m_order[2] = {};
    const Real* m_sorted[2] = {};
    // The order and sorted values, when not those of the ranked pairs.
    std::vector<std::uint32_t> m_ownOrder[2];
    std::vector<Real> m_ownSorted[2];
    std::vector<Mantissa> m_mantissas[2];
    std::vector<Run> m_runs[2];
};
using RankedParts = BasicRankedParts<float>;
using WrittenRankedParts = BasicRankedParts<double>;

// The accurate group statistics of bootstrap trials (those of
// ComputeAccurateGroupStats on a copy of the trial) in O(nPairs) per trial:
// exact sums need no particular order, so each rank adds its mantissa times
// the number of draws of its pair, and the counts also place the kept
// positions. One instance is one thread's workspace; it only reads `parts`.
template <typename Real>
class BasicAccurateTrialStatistics {
public:
    using Source = BasicRankedParts<Real>;
    static constexpr int kLanes = 1;

    explicit BasicAccurateTrialStatistics(const Source& parts);

    // As TrialStatistics::compute, one trial per call.
    void compute(int count, const std::uint32_t* const* drawn, GroupStats* stats1,
                 GroupStats* stats2);
    // The estimates of the last trial computed, from its exact figures
    // (ComputeAccurateEffectSizes), not from its statistics rounded to single.
    EffectSizes estimates(int k, const GroupStats& stats1, const GroupStats& stats2,
                          std::int32_t lngNonpooledSdVar) const;

private:
    GroupStats columnStats(int column);

    const Source& m_parts;
    std::size_t m_n;
    std::vector<std::uint8_t, LargePageAllocator<std::uint8_t>> m_count;
    std::unordered_map<std::uint32_t, std::uint32_t> m_extra;
    BasicExactSums<Real> m_all;
    BasicExactSums<Real> m_kept;
    ExactColumn<Real> m_columns[2];
};
using AccurateTrialStatistics = BasicAccurateTrialStatistics<float>;
using WrittenTrialStatistics = BasicAccurateTrialStatistics<double>;

}  // namespace velmora
