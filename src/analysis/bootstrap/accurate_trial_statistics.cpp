#include "analysis/bootstrap/accurate_trial_statistics.h"

#include <cstring>

#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/resampling/rank_walk.h"
#include "analysis/resampling/trimming.h"

namespace velmora {

template <typename Real>
BasicRankedParts<Real>::BasicRankedParts(const Pairs& pairs) {
    if constexpr (std::is_same_v<Real, float>) {
        m_n = pairs.size();
        for (int c = 0; c < 2; ++c) m_ranked[c] = &pairs.column(c + 1);
    } else {
        m_n = pairs.dblVar1.size();
        const std::vector<double>* columns[2] = {&pairs.dblVar1, &pairs.dblVar2};
        for (int c = 0; c < 2; ++c) {
            m_own[c] = RankColumn<double>(*columns[c]);
            m_ranked[c] = &m_own[c];
        }
    }
    for (int c = 0; c < 2; ++c)
        m_parts[c] = SplitColumn<Real>(m_ranked[c]->sorted, MantissaPacking::AsStored);
}

template <typename Real>
BasicAccurateTrialStatistics<Real>::BasicAccurateTrialStatistics(const Source& parts)
    : m_parts(parts), m_n(parts.size()), m_count(m_n, 0) {}

template <typename Real>
void BasicAccurateTrialStatistics<Real>::compute(int, const std::uint32_t* const* drawn,
                                                 GroupStats* stats1, GroupStats* stats2) {
    std::uint8_t* count = m_count.data();
    const std::uint32_t* d = drawn[0];
    std::size_t m = 0;
    if (m_n >= kPrefetchFromPairs)
        for (const std::size_t ahead = m_n - kFarAhead; m < ahead; ++m) {
            __builtin_prefetch(&count[d[m + kFarAhead]], 1, 1);
            __builtin_prefetch(&count[d[m + kNearAhead]], 1);
            countDraw(count, m_extra, d[m]);
        }
    for (; m < m_n; ++m) countDraw(count, m_extra, d[m]);

    stats1[0] = columnStats(1);
    stats2[0] = columnStats(2);
    std::memset(count, 0, m_n);
    m_extra.clear();
}

// One column: the walk over its ranks into the exact sums of all values and
// of the kept ones.
template <typename Real>
GroupStats BasicAccurateTrialStatistics<Real>::columnStats(int column) {
    const std::uint8_t* count = m_count.data();
    m_all.clear();
    m_kept.clear();
    const auto flush = [&](int binade, const RunSums<Real>& sums, bool kept) {
        m_all.addBinade(binade, sums.sum, sums.squares);
        if (kept) m_kept.addBinade(binade, sums.sum, sums.squares);
    };
    const KeptEnds<Real> ends = WalkRanks<RunSums<Real>>(
        m_parts.ranked(column), m_parts.parts(column),
        [&](std::uint32_t k) { return drawsOf(count, m_extra, k); }, flush);
    ExactColumn<Real>& exact = m_columns[column - 1];
    exact = ExactColumnFromSums(static_cast<std::int32_t>(m_n), m_all, m_kept, ends.low, ends.high);
    return GroupStatsOf(exact);
}

template <typename Real>
EffectSizes BasicAccurateTrialStatistics<Real>::estimates(int, const GroupStats&, const GroupStats&,
                                                          std::int32_t lngNonpooledSdVar) const {
    return ComputeAccurateEffectSizes(m_columns[0], m_columns[1], lngNonpooledSdVar);
}

template class BasicRankedParts<float>;
template class BasicRankedParts<double>;
template class BasicAccurateTrialStatistics<float>;
template class BasicAccurateTrialStatistics<double>;

}  // namespace velmora
