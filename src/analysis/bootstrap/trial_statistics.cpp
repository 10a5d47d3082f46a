#include "analysis/bootstrap/trial_statistics.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "analysis/bootstrap/group_stats.h"
#include "analysis/running_sum.h"

namespace velmora {

// A bootstrap sample is a multiset of the observed pairs, so each column's
// ascending order follows from how often each pair was drawn: the columns are
// sorted once, a trial counts its draws per pair and lays the values out in
// the presorted order. Equal values are interchangeable in a sum, so the
// trimmed and Winsorized sums come out bit for bit as after sorting the trial
// (a zero's sign aside). S and Q follow the draw order.
//
// Every running sum rounds after each addition, so each is one long chain of
// dependent additions; several trials are computed side by side ("lanes") so
// that their chains overlap instead of waiting on one another.
//
// A sum of singles (S, T) is added in single precision: the double sum of two
// singles rounded to single is the correctly rounded single sum, because a
// double holds more than twice a single's digits, so this is the same
// running sum as addToSingleSum at a third of the latency. The sums of
// squares (Q, U) add a double square and stay in double.

namespace {

constexpr std::size_t kBlock = 4;
constexpr std::size_t kPrefetchFrom = 1u << 15;
constexpr std::size_t kAhead = 48;

using Values = RankedPairs::Values;

// S and Q of both columns in draw order.
struct RowOrderSums {
    float s1 = 0.0f, q1 = 0.0f, s2 = 0.0f, q2 = 0.0f;
    void add(const Values& pair) {
        s1 += pair.v1;
        q1 = addSquareToSingleSum(q1, pair.v1);
        s2 += pair.v2;
        q2 = addSquareToSingleSum(q2, pair.v2);
    }
};

// T and U of both columns over the kept positions, ascending.
struct KeptSums {
    float t1 = 0.0f, u1 = 0.0f, t2 = 0.0f, u2 = 0.0f;
    void add(float x, float y) {
        t1 += x;
        u1 = addSquareToSingleSum(u1, x);
        t2 += y;
        u2 = addSquareToSingleSum(u2, y);
    }
};

// One more draw of pair k; true when its byte count wrapped to 0.
inline bool countDraw(std::uint8_t* count, std::uint32_t k) {
    const auto c = static_cast<std::uint8_t>(count[k] + 1);
    count[k] = c;
    return c == 0;
}

// Writes the value at every position of the presorted column as often as its
// pair was drawn, ascending. Most counts are 0, 1 or 2, so a fixed block is
// stored unconditionally and only the rare larger count takes a loop; this
// keeps the walk free of unpredictable branches.
template <typename Count>
void layOut(const Count* count, const std::uint32_t* order, const float* sorted, std::size_t n,
            float* dst) {
    std::size_t pos = 0;
    for (std::size_t r = 0; r < n; ++r) {
        const std::size_t c = count[order[r]];
        const float v = sorted[r];
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
    m_values.resize(n);
    for (std::size_t k = 0; k < n; ++k) m_values[k] = {pairs.sngVar1[k], pairs.sngVar2[k]};
    const auto rankColumn = [n](const std::vector<float>& values, std::vector<std::uint32_t>& order,
                                std::vector<float>& sorted) {
        order.resize(n);
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
        sorted.resize(n);
        for (std::size_t r = 0; r < n; ++r) sorted[r] = values[order[r]];
    };
    rankColumn(pairs.sngVar1, m_order1, m_sorted1);
    rankColumn(pairs.sngVar2, m_order2, m_sorted2);
}

TrialStatistics::TrialStatistics(const RankedPairs& pairs) : m_ranked(pairs), m_n(pairs.size()) {
    for (Lane& lane : m_lanes) {
        lane.count.assign(m_n, 0);
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

void TrialStatistics::layOutLane(Lane& lane, const std::uint32_t* drawn, bool wrapped) {
    if (wrapped) [[unlikely]] {
        m_wide.assign(m_n, 0);
        for (std::size_t m = 0; m < m_n; ++m) ++m_wide[drawn[m]];
        layOut(m_wide.data(), m_ranked.order1(), m_ranked.sorted1(), m_n, lane.laid1.data());
        layOut(m_wide.data(), m_ranked.order2(), m_ranked.sorted2(), m_n, lane.laid2.data());
    } else {
        layOut(lane.count.data(), m_ranked.order1(), m_ranked.sorted1(), m_n, lane.laid1.data());
        layOut(lane.count.data(), m_ranked.order2(), m_ranked.sorted2(), m_n, lane.laid2.data());
    }
    std::memset(lane.count.data(), 0, m_n);
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
    std::uint8_t* c0 = l0.count.data();
    std::uint8_t* c1 = l1.count.data();
    const Values* values = m_ranked.values();
    const std::uint32_t* d0 = drawn[0];
    const std::uint32_t* d1 = drawn[K - 1];
    bool wrapped0 = false;
    bool wrapped1 = false;
    std::size_t m = 0;
    if (m_n >= kPrefetchFrom) {
        // Beyond the caches every draw would wait for its pair and its count;
        // both addresses follow from the drawn number, so fetch them well
        // ahead. (Written out in the loop: a helper holding only prefetches
        // counts as free of effects and its calls are dropped.)
        for (const std::size_t ahead = m_n - kAhead; m < ahead; ++m) {
            __builtin_prefetch(&values[d0[m + kAhead]]);
            __builtin_prefetch(&c0[d0[m + kAhead]], 1);
            a0.add(values[d0[m]]);
            wrapped0 |= countDraw(c0, d0[m]);
            if constexpr (K == 2) {
                __builtin_prefetch(&values[d1[m + kAhead]]);
                __builtin_prefetch(&c1[d1[m + kAhead]], 1);
                a1.add(values[d1[m]]);
                wrapped1 |= countDraw(c1, d1[m]);
            }
        }
    }
    for (; m < m_n; ++m) {
        a0.add(values[d0[m]]);
        wrapped0 |= countDraw(c0, d0[m]);
        if constexpr (K == 2) {
            a1.add(values[d1[m]]);
            wrapped1 |= countDraw(c1, d1[m]);
        }
    }
    layOutLane(l0, d0, wrapped0);
    if constexpr (K == 2) layOutLane(l1, d1, wrapped1);

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
