#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "analysis/bootstrap/accurate_group_stats.h"
#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/draw_counts.h"
#include "analysis/bootstrap/ranked_pairs.h"
#include "analysis/exact_sums.h"
#include "analysis/resampling/paired_sample.h"
#include "analysis/resampling/ranked_column.h"
#include "runtime/large_page_allocator.h"

namespace velmora {

// Each column of the complete pairs ranked (RankedColumn) and split for the
// walk over its ranks (ColumnParts). Real is float for the singles, whose
// order the ranked pairs already hold, or double for the values as written
// in the data file, ranked here by those values. Built once per run and only
// read afterwards.
template <typename Real>
class BasicRankedParts {
public:
    // What the parts are built from: the ranked pairs of singles, or the
    // complete pairs as written.
    using Pairs = std::conditional_t<std::is_same_v<Real, float>, RankedPairs, WrittenPairs>;

    explicit BasicRankedParts(const Pairs& pairs);
    // Holds pointers into itself.
    BasicRankedParts(const BasicRankedParts&) = delete;
    BasicRankedParts& operator=(const BasicRankedParts&) = delete;

    std::size_t size() const { return m_n; }
    const RankedColumn<Real>& ranked(int column) const { return *m_ranked[column - 1]; }
    const ColumnParts<Real>& parts(int column) const { return m_parts[column - 1]; }

private:
    std::size_t m_n = 0;
    const RankedColumn<Real>* m_ranked[2] = {};
    // The ranked columns, when not those of the ranked pairs.
    RankedColumn<Real> m_own[2];
    ColumnParts<Real> m_parts[2];
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
    ExtraDraws m_extra;
    BasicExactSums<Real> m_all;
    BasicExactSums<Real> m_kept;
    ExactColumn<Real> m_columns[2];
};
using AccurateTrialStatistics = BasicAccurateTrialStatistics<float>;
using WrittenTrialStatistics = BasicAccurateTrialStatistics<double>;

}  // namespace velmora
