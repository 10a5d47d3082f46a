#include "analysis/bootstrap/single_trial_statistics.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/running_sum.h"

namespace velmora {

// A bootstrap sample is a multiset of the observed pairs, so each column's
// ascending order follows from how often each pair was drawn: the columns are
// sorted once, a trial counts its draws per pair and lays the values out in
// the presorted order. Equal values are interchangeable in a sum, so the
// trimmed and Winsorized sums come out bit for bit as after sorting the trial
// (a zero's sign aside). S and Q follow the draw order. Only the kept
// positions are laid out, a short chunk at a time, and summed while the chunk
// is still in the nearest cache; the ranks below them are only counted.
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

using Extra = ExtraDraws;

constexpr std::size_t kChunk = 512;

// One column of one trial laid out in ascending order, a chunk of positions
// at a time: buf[i] holds position `start + i`. Most counts are 0, 1 or 2, so
// a fixed block is stored unconditionally and only the rare larger count
// takes a loop; this keeps the walk free of unpredictable branches.
class ColumnWalk {
public:
    ColumnWalk(const std::uint8_t* count, const Extra& extra, const std::uint32_t* order,
               const float* sorted)
        : m_count(count), m_extra(extra), m_order(order), m_sorted(sorted) {}

    const float* chunk() const { return m_buf; }

    // Counts past the ranks below position `lo` without laying them out;
    // the first chunk then begins at `lo`.
    void skipTo(std::size_t lo) {
        m_start = lo;
        for (;;) {
            const std::size_t c = countAt(m_rank);
            if (m_laid + c > lo) {
                m_left = m_laid + c - lo;
                m_value = m_sorted[m_rank];
                ++m_rank;
                m_laid = lo;
                return;
            }
            m_laid += c;
            ++m_rank;
        }
    }

    // Lays out the chunk's positions up to `end`; a few positions laid
    // beyond it stay in the buffer for the next chunk.
    void fill(std::size_t end) {
        // The walk's state in locals: the buffer stores could otherwise be
        // taken to change it, and it would be reloaded for every rank.
        std::size_t laid = m_laid;
        std::size_t rank = m_rank;
        std::size_t left = m_left;
        // Position p goes to m_buf[p - m_start]: a pointer to "m_buf[0]
        // minus m_start" would lie outside the buffer, which C++ does not allow.
        float* const buf = m_buf;
        const std::size_t start = m_start;
        while (laid < end) {
            float* at = buf + (laid - start);
            if (left > 0) {
                const std::size_t k = std::min(left, end - laid);
                std::fill(at, at + k, m_value);
                laid += k;
                left -= k;
                continue;
            }
            const std::size_t c = countAt(rank);
            const float v = m_sorted[rank];
            ++rank;
            for (std::size_t j = 0; j < kBlock; ++j) at[j] = v;
            if (c > kBlock) [[unlikely]] {
                left = c;
                m_value = v;
                continue;
            }
            laid += c;
        }
        m_laid = laid;
        m_rank = rank;
        m_left = left;
    }

    // Moves what was laid beyond a full chunk to the buffer's front.
    void nextChunk() {
        const std::size_t over = m_laid - m_start - kChunk;
        std::copy(m_buf + kChunk, m_buf + kChunk + over, m_buf);
        m_start += kChunk;
    }

private:
    std::size_t countAt(std::size_t rank) const { return drawsOf(m_count, m_extra, m_order[rank]); }

    const std::uint8_t* m_count;
    const Extra& m_extra;
    const std::uint32_t* m_order;
    const float* m_sorted;
    std::size_t m_rank = 0;   // next rank to lay out
    std::size_t m_laid = 0;   // positions laid out so far
    std::size_t m_left = 0;   // copies of m_value still to lay out
    std::size_t m_start = 0;  // position of m_buf[0]
    float m_value = 0.0f;
    float m_buf[kChunk + kBlock];
};

// Calls f(lane) for lane 0 .. K-1, each a compile-time constant and inlined:
// the lanes' sums in arrays indexed by lane then stay in registers, as named
// locals would, and every addition does not also wait on memory.
template <int K, typename F>
__attribute__((always_inline)) inline void forEachLane(F&& f) {
    [&]<int... lane>(std::integer_sequence<int, lane...>) __attribute__((always_inline)) {
        (f(std::integral_constant<int, lane>{}), ...);
    }
    (std::make_integer_sequence<int, K>{});
}

// One trial of a call: its drawn pairs in draw order and where it counts them.
struct LaneDraws {
    const std::uint32_t* drawn = nullptr;
    std::uint8_t* count = nullptr;
    Extra* extra = nullptr;
};

// S and Q of each lane's trial in draw order, counting its draws on the way.
template <int K>
void sumInDrawOrder(const LaneDraws (&lanes)[K], const Values* values, std::size_t n,
                    RowOrderSums (&rows)[K]) {
    std::size_t m = 0;
    if (n >= kPrefetchFromPairs) {
        // Beyond the caches every draw would wait for its pair and its count;
        // both addresses follow from the drawn number, so fetch them well
        // ahead. (In the same inlined body as the sums: a helper holding only
        // prefetches counts as free of effects and its calls are dropped.)
        for (const std::size_t ahead = n - kFarAhead; m < ahead; ++m) {
            forEachLane<K>([&](auto k) __attribute__((always_inline)) {
                const std::uint32_t* d = lanes[k].drawn;
                std::uint8_t* c = lanes[k].count;
                __builtin_prefetch(&values[d[m + kFarAhead]], 0, 1);
                __builtin_prefetch(&c[d[m + kFarAhead]], 1, 1);
                __builtin_prefetch(&values[d[m + kNearAhead]]);
                __builtin_prefetch(&c[d[m + kNearAhead]], 1);
                rows[k].add(values[d[m]]);
                countDraw(c, *lanes[k].extra, d[m]);
            });
        }
    }
    for (; m < n; ++m) {
        forEachLane<K>([&](auto k) __attribute__((always_inline)) {
            rows[k].add(values[lanes[k].drawn[m]]);
            countDraw(lanes[k].count, *lanes[k].extra, lanes[k].drawn[m]);
        });
    }
}

// The values at the lowest and the highest kept position of both columns.
struct KeptEnds {
    float low1 = 0.0f, low2 = 0.0f, high1 = 0.0f, high2 = 0.0f;
};

// Each lane's walk of one column in ascending order.
template <int K>
std::array<ColumnWalk, K> columnWalks(const LaneDraws (&lanes)[K], const std::uint32_t* order,
                                      const float* sorted) {
    return [&]<int... lane>(std::integer_sequence<int, lane...>) {
        return std::array<ColumnWalk, K>{
            ColumnWalk(lanes[lane].count, *lanes[lane].extra, order, sorted)...};
    }
    (std::make_integer_sequence<int, K>{});
}

// T and U of each lane's trial over the kept positions lo..hi of both
// columns, laid out a chunk at a time from the counted draws.
template <int K>
void sumKeptPositions(const LaneDraws (&lanes)[K], const RankedPairs& r, std::size_t lo,
                      std::size_t hi, KeptSums (&kept)[K], KeptEnds (&ends)[K]) {
    std::array<ColumnWalk, K> xs = columnWalks<K>(lanes, r.order1(), r.sorted1());
    std::array<ColumnWalk, K> ys = columnWalks<K>(lanes, r.order2(), r.sorted2());
    const float* px[K];
    const float* py[K];
    forEachLane<K>([&](auto k) {
        xs[k].skipTo(lo);
        ys[k].skipTo(lo);
        px[k] = xs[k].chunk();
        py[k] = ys[k].chunk();
    });
    for (std::size_t start = lo;; start += kChunk) {
        const std::size_t end = std::min(start + kChunk, hi + 1);
        forEachLane<K>([&](auto k) {
            xs[k].fill(end);
            ys[k].fill(end);
        });
        const std::size_t count = end - start;
        for (std::size_t i = 0; i < count; ++i) {
            forEachLane<K>([&](auto k)
                               __attribute__((always_inline)) { kept[k].add(px[k][i], py[k][i]); });
        }
        if (start == lo) {
            forEachLane<K>([&](auto k) {
                ends[k].low1 = px[k][0];
                ends[k].low2 = py[k][0];
            });
        }
        if (end == hi + 1) {
            forEachLane<K>([&](auto k) {
                ends[k].high1 = px[k][count - 1];
                ends[k].high2 = py[k][count - 1];
            });
            return;
        }
        forEachLane<K>([&](auto k) {
            xs[k].nextChunk();
            ys[k].nextChunk();
        });
    }
}

}  // namespace

TrialStatistics::TrialStatistics(const RankedPairs& pairs) : m_ranked(pairs), m_n(pairs.size()) {
    for (Lane& lane : m_lanes) lane.count.assign(m_n, 0);
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
    LaneDraws lanes[K];
    for (int k = 0; k < K; ++k) lanes[k] = {drawn[k], m_lanes[k].count.data(), &m_lanes[k].extra};
    RowOrderSums rows[K];
    sumInDrawOrder<K>(lanes, m_ranked.values(), m_n, rows);

    // Both columns of every trial have nPairs values, so they share the kept
    // positions and all their sums can run side by side.
    const auto n = static_cast<std::int32_t>(m_n);
    const auto g = static_cast<std::size_t>(TrimCount(n));
    KeptSums kept[K];
    KeptEnds ends[K];
    sumKeptPositions<K>(lanes, m_ranked, g, m_n - g - 1, kept, ends);

    for (int k = 0; k < K; ++k) {
        std::memset(m_lanes[k].count.data(), 0, m_n);
        m_lanes[k].extra.clear();
        stats1[k] = GroupStatsFromSums(GroupSums{n, rows[k].s1, rows[k].q1, kept[k].t1, kept[k].u1,
                                                 ends[k].low1, ends[k].high1});
        stats2[k] = GroupStatsFromSums(GroupSums{n, rows[k].s2, rows[k].q2, kept[k].t2, kept[k].u2,
                                                 ends[k].low2, ends[k].high2});
    }
}

EffectSizes TrialStatistics::estimates(int, const GroupStats& stats1, const GroupStats& stats2,
                                       std::int32_t lngNonpooledSdVar) {
    return ComputeEffectSizes(stats1, stats2, lngNonpooledSdVar);
}

}  // namespace velmora
