#include "analysis/bootstrap/trial_statistics.h"

#include <algorithm>
#include <numeric>

#include "analysis/bootstrap/group_stats.h"
#include "analysis/running_sum.h"

namespace velmora {

// A bootstrap sample is a multiset of the observed pairs, so each column's
// ascending order follows from how often each pair was drawn: the columns are
// sorted once, a trial counts its draws per rank and lays the values out in
// rank order. Equal values are interchangeable in a sum, so the trimmed and
// Winsorized sums come out bit for bit as after sorting the trial (a zero's
// sign aside). S and Q follow the draw order.
//
// Every running sum rounds after each addition, so each is one long chain of
// dependent additions; several trials are computed side by side ("lanes") so
// that their chains overlap instead of waiting on one another.

namespace {

constexpr std::size_t kBlock = 8;
constexpr std::size_t kPrefetchFrom = 1u << 15;
constexpr std::size_t kPairAhead = 32;
constexpr std::size_t kCountAhead = 16;
static_assert(kPrefetchFrom > kPairAhead && kPairAhead > kCountAhead);

using Pair = RankedPairs::Pair;

// S and Q of both columns in draw order, and the draw counts per rank.
struct RowOrderSums {
    float s1 = 0.0f, q1 = 0.0f, s2 = 0.0f, q2 = 0.0f;
    void add(const Pair& pair, std::uint32_t* count1, std::uint32_t* count2) {
        s1 = addToSingleSum(s1, pair.v1);
        q1 = addSquareToSingleSum(q1, pair.v1);
        s2 = addToSingleSum(s2, pair.v2);
        q2 = addSquareToSingleSum(q2, pair.v2);
        ++count1[pair.rank1];
        ++count2[pair.rank2];
    }
};

// T and U of both columns over the kept positions, ascending.
struct KeptSums {
    float t1 = 0.0f, u1 = 0.0f, t2 = 0.0f, u2 = 0.0f;
    void add(float x, float y) {
        t1 = addToSingleSum(t1, x);
        u1 = addSquareToSingleSum(u1, x);
        t2 = addToSingleSum(t2, y);
        u2 = addSquareToSingleSum(u2, y);
    }
};

// Writes every rank's value as often as it was drawn, ascending, and clears
// the counts for the next trial. Most counts are 0, 1 or 2, so a fixed block
// is stored unconditionally and only the rare larger count takes a loop; this
// keeps the walk free of unpredictable branches.
void layOut(std::uint32_t* count, const float* value, std::size_t n, float* dst) {
    std::size_t pos = 0;
    for (std::size_t r = 0; r < n; ++r) {
        const std::uint32_t c = count[r];
        count[r] = 0;
        const float v = value[r];
        float* block = dst + pos;
        for (std::size_t j = 0; j < kBlock; ++j) block[j] = v;
        if (c > kBlock) [[unlikely]]
            std::fill(block + kBlock, block + c, v);
        pos += c;
    }
}

}  // namespace

RankedPairs::RankedPairs(const CompletePairs& pairs) {
    const std::size_t n = pairs.sngVar1.size();
    m_pairs.resize(n);
    m_sorted1.resize(n);
    m_sorted2.resize(n);
    std::vector<std::uint32_t> order(n);
    const auto rankColumn = [&](const std::vector<float>& values, std::vector<float>& sorted,
                                std::uint32_t Pair::*rank) {
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
        for (std::size_t r = 0; r < n; ++r) {
            sorted[r] = values[order[r]];
            m_pairs[order[r]].*rank = static_cast<std::uint32_t>(r);
        }
    };
    rankColumn(pairs.sngVar1, m_sorted1, &Pair::rank1);
    rankColumn(pairs.sngVar2, m_sorted2, &Pair::rank2);
    for (std::size_t k = 0; k < n; ++k) {
        m_pairs[k].v1 = pairs.sngVar1[k];
        m_pairs[k].v2 = pairs.sngVar2[k];
    }
}

TrialStatistics::TrialStatistics(const RankedPairs& pairs) : m_ranked(pairs), m_n(pairs.size()) {
    for (Lane& lane : m_lanes) {
        lane.count1.assign(m_n, 0);
        lane.count2.assign(m_n, 0);
        // Room for the unconditional block stores of layOut past the end.
        lane.laid1.assign(m_n + kBlock, 0.0f);
        lane.laid2.assign(m_n + kBlock, 0.0f);
    }
}

void TrialStatistics::compute(int count, const std::uint32_t* const* drawn, GroupStats* stats1,
                              GroupStats* stats2) {
    static_assert(kLanes == 2);
    if (count == 2)
        computeLanes<2>(drawn, stats1, stats2);
    else
        computeLanes<1>(drawn, stats1, stats2);
}

template <int K>
void TrialStatistics::computeLanes(const std::uint32_t* const* drawn, GroupStats* stats1,
                                   GroupStats* stats2) {
    // Named locals rather than arrays indexed by lane: the sums must stay in
    // registers, or every addition would also wait on memory.
    RowOrderSums a0;
    RowOrderSums a1;
    Lane& l0 = m_lanes[0];
    Lane& l1 = m_lanes[K - 1];
    std::uint32_t* c01 = l0.count1.data();
    std::uint32_t* c02 = l0.count2.data();
    std::uint32_t* c11 = l1.count1.data();
    std::uint32_t* c12 = l1.count2.data();
    const Pair* pairs = m_ranked.pairs();
    const std::uint32_t* d0 = drawn[0];
    const std::uint32_t* d1 = drawn[K - 1];
    std::size_t m = 0;
    if (m_n >= kPrefetchFrom) {
        // Beyond the caches every draw would wait for three random accesses;
        // fetch the pair well ahead, then its two counts. (Written out in the
        // loop: a helper holding only prefetches counts as free of effects and
        // its calls are dropped.)
        for (const std::size_t ahead = m_n - kPairAhead; m < ahead; ++m) {
            __builtin_prefetch(&pairs[d0[m + kPairAhead]]);
            const Pair& soon0 = pairs[d0[m + kCountAhead]];
            __builtin_prefetch(&c01[soon0.rank1], 1);
            __builtin_prefetch(&c02[soon0.rank2], 1);
            a0.add(pairs[d0[m]], c01, c02);
            if constexpr (K == 2) {
                __builtin_prefetch(&pairs[d1[m + kPairAhead]]);
                const Pair& soon1 = pairs[d1[m + kCountAhead]];
                __builtin_prefetch(&c11[soon1.rank1], 1);
                __builtin_prefetch(&c12[soon1.rank2], 1);
                a1.add(pairs[d1[m]], c11, c12);
            }
        }
    }
    for (; m < m_n; ++m) {
        a0.add(pairs[d0[m]], c01, c02);
        if constexpr (K == 2) a1.add(pairs[d1[m]], c11, c12);
    }
    layOut(c01, m_ranked.sorted1(), m_n, l0.laid1.data());
    layOut(c02, m_ranked.sorted2(), m_n, l0.laid2.data());
    if constexpr (K == 2) {
        layOut(c11, m_ranked.sorted1(), m_n, l1.laid1.data());
        layOut(c12, m_ranked.sorted2(), m_n, l1.laid2.data());
    }

    // Both columns of every trial have nPairs values, so they share the kept
    // positions and all their sums can run side by side.
    const auto n = static_cast<std::int32_t>(m_n);
    const auto g = static_cast<std::size_t>(TrimCount(n));
    const std::size_t lo = g;
    const std::size_t hi = m_n - g - 1;
    KeptSums k0;
    KeptSums k1;
    const float* x0 = l0.laid1.data();
    const float* y0 = l0.laid2.data();
    const float* x1 = l1.laid1.data();
    const float* y1 = l1.laid2.data();
    for (std::size_t i = lo; i <= hi; ++i) {
        k0.add(x0[i], y0[i]);
        if constexpr (K == 2) k1.add(x1[i], y1[i]);
    }
    stats1[0] = GroupStatsFromSums(GroupSums{n, a0.s1, a0.q1, k0.t1, k0.u1, x0[lo], x0[hi]});
    stats2[0] = GroupStatsFromSums(GroupSums{n, a0.s2, a0.q2, k0.t2, k0.u2, y0[lo], y0[hi]});
    if constexpr (K == 2) {
        stats1[1] = GroupStatsFromSums(GroupSums{n, a1.s1, a1.q1, k1.t1, k1.u1, x1[lo], x1[hi]});
        stats2[1] = GroupStatsFromSums(GroupSums{n, a1.s2, a1.q2, k1.t2, k1.u2, y1[lo], y1[hi]});
    }
}

}  // namespace velmora
