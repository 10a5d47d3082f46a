#include "analysis/bootstrap/bootstrap_engine.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/bootstrap/percentile_interval.h"

namespace velmora {

namespace {

// ceil(u * n) for 0 <= u < 1 and n <= 2^24. The product is exact in double;
// for a non-negative x, truncating and stepping up when something was cut off
// is the same as -floor(-x), without a library call in the innermost loop.
inline std::int32_t ceilOfScaled(float u, double n) {
    const double x = static_cast<double>(u) * n;
    const auto whole = static_cast<std::int32_t>(x);
    return static_cast<double>(whole) < x ? whole + 1 : whole;
}

inline std::int32_t drawBySingle(RandomStream& random, double n) {
    for (;;) {
        const std::int32_t p = ceilOfScaled(random.nextSingle(), n);
        if (p != 0) return p;  // u was exactly 0: drawn again for the same row
    }
}

// Lemire's multiply-and-reject: the high half of x * n is uniform on 0..n-1
// once the low halves below 2^64 mod n are rejected.
std::int32_t drawByBits(RandomStream& random, std::int32_t nPairs) {
    const auto n = static_cast<std::uint64_t>(nPairs);
    const std::uint64_t reject = (0 - n) % n;  // 2^64 mod n
    for (;;) {
        const std::uint64_t x = random.nextBits64();
        // 64 x 31 bit product split in 32-bit halves (no 128-bit type needed).
        const std::uint64_t low = (x & 0xFFFFFFFFu) * n;
        const std::uint64_t mid = (x >> 32) * n + (low >> 32);
        const std::uint64_t productLow = (mid << 32) | (low & 0xFFFFFFFFu);
        if (productLow < reject) continue;
        return static_cast<std::int32_t>(mid >> 32) + 1;
    }
}

bool isFiniteStats(const GroupStats& s) {
    return std::isfinite(s.sngMean) && std::isfinite(s.sngTrimmedMean) &&
           std::isfinite(s.sngVariance) && std::isfinite(s.sngWinsMean) &&
           std::isfinite(s.sngWinsVariance);
}

bool isFiniteEstimates(const EffectSizes& e) {
    return std::isfinite(e.sngPooledVar) && std::isfinite(e.sngPooledWinsVar) &&
           std::isfinite(e.sngPooledD) && std::isfinite(e.sngPooledRobustD) &&
           std::isfinite(e.sngNonpooledD) && std::isfinite(e.sngNonpooledRobustD);
}

// One complete pair with the positions of its two values in the stable
// ascending order of their columns.
struct RankedPair {
    float v1;
    float v2;
    std::uint32_t rank1;
    std::uint32_t rank2;
};

// The trials of one run. A bootstrap sample is a multiset of the observed
// pairs, so each column's ascending order follows from how often each pair
// was drawn: the columns are sorted once, a trial counts its draws per rank
// and lays the values out in rank order. Equal values are interchangeable in a
// sum, so the trimmed and Winsorized sums come out bit for bit as after
// sorting the trial (a zero's sign aside). S and Q follow the draw order.
//
// Every running sum rounds after each addition, so each is one long chain of
// dependent additions; several trials are computed side by side ("lanes") so
// that their chains overlap instead of waiting on one another.
class TrialEngine {
public:
    static constexpr int kLanes = 2;

    explicit TrialEngine(const CompletePairs& pairs) : m_n(pairs.sngVar1.size()) {
        m_pairs.resize(m_n);
        m_sorted1.resize(m_n);
        m_sorted2.resize(m_n);
        rankColumn(pairs.sngVar1, m_sorted1, &RankedPair::rank1);
        rankColumn(pairs.sngVar2, m_sorted2, &RankedPair::rank2);
        for (std::size_t k = 0; k < m_n; ++k) {
            m_pairs[k].v1 = pairs.sngVar1[k];
            m_pairs[k].v2 = pairs.sngVar2[k];
        }
        for (Lane& lane : m_lanes) {
            lane.count1.assign(m_n, 0);
            lane.count2.assign(m_n, 0);
            // Room for the unconditional block stores of layOut past the end.
            lane.laid1.assign(m_n + kBlock, 0.0f);
            lane.laid2.assign(m_n + kBlock, 0.0f);
        }
    }

    std::size_t size() const { return m_n; }

    // The statistics of K trials (K = 1 or kLanes); drawn[k] holds trial
    // k's drawn pairs (0-based), results go to stats1[k] and stats2[k].
    template <int K>
    void computeTrials(const std::uint32_t* const* drawn, GroupStats* stats1, GroupStats* stats2) {
        static_assert(K == 1 || K == 2);
        // Named locals rather than arrays indexed by lane: the sums must stay
        // in registers, or every addition would also wait on memory.
        RowOrderSums a0;
        RowOrderSums a1;
        Lane& l0 = m_lanes[0];
        Lane& l1 = m_lanes[K - 1];
        if (m_n >= kPrefetchFrom) {
            // Beyond the caches every draw would wait for three random
            // accesses; fetch the pair well ahead, then its two counts.
            const std::size_t ahead = m_n - kPairAhead;
            std::size_t m = 0;
            // (Written out in the loop: a helper holding only prefetches
            // counts as free of effects and its calls are dropped.)
            for (; m < ahead; ++m) {
                __builtin_prefetch(&m_pairs[drawn[0][m + kPairAhead]]);
                const RankedPair& soon0 = m_pairs[drawn[0][m + kCountAhead]];
                __builtin_prefetch(&l0.count1[soon0.rank1], 1);
                __builtin_prefetch(&l0.count2[soon0.rank2], 1);
                a0.add(m_pairs[drawn[0][m]], l0);
                if constexpr (K == 2) {
                    __builtin_prefetch(&m_pairs[drawn[1][m + kPairAhead]]);
                    const RankedPair& soon1 = m_pairs[drawn[1][m + kCountAhead]];
                    __builtin_prefetch(&l1.count1[soon1.rank1], 1);
                    __builtin_prefetch(&l1.count2[soon1.rank2], 1);
                    a1.add(m_pairs[drawn[1][m]], l1);
                }
            }
            for (; m < m_n; ++m) {
                a0.add(m_pairs[drawn[0][m]], l0);
                if constexpr (K == 2) a1.add(m_pairs[drawn[1][m]], l1);
            }
        } else {
            for (std::size_t m = 0; m < m_n; ++m) {
                a0.add(m_pairs[drawn[0][m]], l0);
                if constexpr (K == 2) a1.add(m_pairs[drawn[1][m]], l1);
            }
        }
        layOut(l0.count1, m_sorted1, l0.laid1);
        layOut(l0.count2, m_sorted2, l0.laid2);
        if constexpr (K == 2) {
            layOut(l1.count1, m_sorted1, l1.laid1);
            layOut(l1.count2, m_sorted2, l1.laid2);
        }

        // Both columns of every trial have nPairs values, so they share the
        // kept positions and all their sums can run side by side.
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
            stats1[1] =
                GroupStatsFromSums(GroupSums{n, a1.s1, a1.q1, k1.t1, k1.u1, x1[lo], x1[hi]});
            stats2[1] =
                GroupStatsFromSums(GroupSums{n, a1.s2, a1.q2, k1.t2, k1.u2, y1[lo], y1[hi]});
        }
    }

private:
    static constexpr std::size_t kBlock = 8;
    static constexpr std::size_t kPrefetchFrom = 1u << 15;
    static constexpr std::size_t kPairAhead = 32;
    static constexpr std::size_t kCountAhead = 16;
    static_assert(kPrefetchFrom > kPairAhead && kPairAhead > kCountAhead);

    struct Lane {
        std::vector<std::uint32_t> count1;
        std::vector<std::uint32_t> count2;
        std::vector<float> laid1;
        std::vector<float> laid2;
    };

    // S and Q of both columns in draw order, and the draw counts per rank.
    struct RowOrderSums {
        float s1 = 0.0f, q1 = 0.0f, s2 = 0.0f, q2 = 0.0f;
        void add(const RankedPair& pair, Lane& lane) {
            s1 = addToSingleSum(s1, pair.v1);
            q1 = addSquareToSingleSum(q1, pair.v1);
            s2 = addToSingleSum(s2, pair.v2);
            q2 = addSquareToSingleSum(q2, pair.v2);
            ++lane.count1[pair.rank1];
            ++lane.count2[pair.rank2];
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

    void rankColumn(const std::vector<float>& values, std::vector<float>& sorted,
                    std::uint32_t RankedPair::*rank) {
        std::vector<std::uint32_t> order(m_n);
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
        for (std::size_t r = 0; r < m_n; ++r) {
            sorted[r] = values[order[r]];
            m_pairs[order[r]].*rank = static_cast<std::uint32_t>(r);
        }
    }

    // Writes every rank's value as often as it was drawn, ascending, and
    // clears the counts for the next trial. Most counts are 0, 1 or 2, so a
    // fixed block is stored unconditionally and only the rare larger count
    // takes a loop; this keeps the walk free of unpredictable branches.
    static void layOut(std::vector<std::uint32_t>& counts, const std::vector<float>& sorted,
                       std::vector<float>& out) {
        float* dst = out.data();
        std::uint32_t* count = counts.data();
        const float* value = sorted.data();
        const std::size_t n = counts.size();
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

    std::size_t m_n;
    std::vector<RankedPair> m_pairs;
    std::vector<float> m_sorted1;
    std::vector<float> m_sorted2;
    Lane m_lanes[kLanes];
};

void drawTrial(RandomStream& random, std::int32_t nPairs, std::uint32_t* drawn) {
    const auto n = static_cast<std::size_t>(nPairs);
    if (nPairs <= SINGLE_DRAW_LIMIT) {
        const double scale = static_cast<double>(nPairs);
        for (std::size_t m = 0; m < n; ++m)
            drawn[m] = static_cast<std::uint32_t>(drawBySingle(random, scale) - 1);
    } else {
        for (std::size_t m = 0; m < n; ++m)
            drawn[m] = static_cast<std::uint32_t>(drawByBits(random, nPairs) - 1);
    }
}

// One estimator's valid trial values, in trial order.
struct ValueList {
    std::vector<float> values;
    void addIfValid(float estimate) {
        if (isComputable(estimate)) values.push_back(estimate);
    }
    std::int32_t count() const { return static_cast<std::int32_t>(values.size()); }
};

}  // namespace

std::int32_t DrawPairNumber(RandomStream& random, std::int32_t nPairs) {
    if (nPairs <= SINGLE_DRAW_LIMIT) return drawBySingle(random, static_cast<double>(nPairs));
    return drawByBits(random, nPairs);
}

BootstrapResult RunBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                             RandomStream& random, const BootstrapHooks& hooks) {
    BootstrapResult result;
    if (sample.n1 < 2 || sample.n2 < 2 || sample.nPairs < 2) {
        result.outcome = BootstrapOutcome::InsufficientData;
        return result;
    }

    // Pass 0: the observed sample, each variable with all of its own values.
    result.stats1 = ComputeGroupStats(PresentValues(sample, 1));
    result.stats2 = ComputeGroupStats(PresentValues(sample, 2));
    result.observed = ComputeEffectSizes(result.stats1, result.stats2, options.lngNonpooledSdVar);
    if (!isFiniteStats(result.stats1) || !isFiniteStats(result.stats2) ||
        !isFiniteEstimates(result.observed)) {
        result.outcome = BootstrapOutcome::Overflow;
        result.lngFaultPass = 0;
        return result;
    }
    if (!(result.stats1.sngVariance > 0.0f) && !(result.stats2.sngVariance > 0.0f)) {
        result.outcome = BootstrapOutcome::ZeroVariance;
        return result;
    }

    const std::int32_t trials = std::max(options.lngTrials, 0);
    TrialEngine engine(CollectCompletePairs(sample));
    constexpr int kLanes = TrialEngine::kLanes;
    std::vector<std::uint32_t> drawnStore(engine.size() * kLanes);
    std::uint32_t* drawn[kLanes];
    for (int k = 0; k < kLanes; ++k)
        drawn[k] = drawnStore.data() + engine.size() * static_cast<std::size_t>(k);
    ValueList pooledD, pooledRobustD, nonpooledD, nonpooledRobustD;
    for (ValueList* list : {&pooledD, &pooledRobustD, &nonpooledD, &nonpooledRobustD})
        list->values.reserve(static_cast<std::size_t>(trials));

    for (std::int32_t first = 1; first <= trials; first += kLanes) {
        const int lanes = std::min(kLanes, trials - first + 1);
        // The stream is read strictly in trial order: all of trial t's draws,
        // then trial t + 1's.
        for (int k = 0; k < lanes; ++k) {
            if (hooks.progress) hooks.progress(first + k);
            drawTrial(random, sample.nPairs, drawn[k]);
        }
        GroupStats stats1[kLanes];
        GroupStats stats2[kLanes];
        if (lanes == kLanes)
            engine.computeTrials<kLanes>(drawn, stats1, stats2);
        else
            engine.computeTrials<1>(drawn, stats1, stats2);

        for (int k = 0; k < lanes; ++k) {
            const std::int32_t t = first + k;
            const EffectSizes es =
                ComputeEffectSizes(stats1[k], stats2[k], options.lngNonpooledSdVar);
            if (!isFiniteStats(stats1[k]) || !isFiniteStats(stats2[k]) || !isFiniteEstimates(es)) {
                result.outcome = BootstrapOutcome::Overflow;
                result.lngFaultPass = t;
                return result;
            }
            if (hooks.trial) hooks.trial(t, es);
            pooledD.addIfValid(es.sngPooledD);
            pooledRobustD.addIfValid(es.sngPooledRobustD);
            nonpooledD.addIfValid(es.sngNonpooledD);
            nonpooledRobustD.addIfValid(es.sngNonpooledRobustD);
        }
    }

    BootstrapSummary& summary = result.summary;
    summary.lngTrials = options.lngTrials;
    summary.lngValidPooledD = pooledD.count();
    summary.lngValidPooledRobustD = pooledRobustD.count();
    summary.lngValidNonpooledD = nonpooledD.count();
    summary.lngValidNonpooledRobustD = nonpooledRobustD.count();
    const float level = options.sngConfidenceLevel;
    summary.ciPooledD = ReadPercentileInterval(pooledD.values, level, PositionRule::Truncate);
    summary.ciPooledRobustD =
        ReadPercentileInterval(pooledRobustD.values, level, PositionRule::Truncate);
    summary.ciNonpooledD =
        ReadPercentileInterval(nonpooledD.values, level, PositionRule::RoundHalfEven);
    summary.ciNonpooledRobustD =
        ReadPercentileInterval(nonpooledRobustD.values, level, PositionRule::RoundHalfEven);
    result.outcome = BootstrapOutcome::Completed;
    return result;
}

}  // namespace velmora
