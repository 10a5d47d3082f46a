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
class TrialEngine {
public:
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
        m_count1.assign(m_n, 0);
        m_count2.assign(m_n, 0);
        // Room for the unconditional block stores of layOut past the end.
        m_laid1.assign(m_n + kBlock, 0.0f);
        m_laid2.assign(m_n + kBlock, 0.0f);
    }

    std::size_t size() const { return m_n; }

    // The statistics of the trial whose drawn pairs (0-based) are `drawn`.
    void computeTrial(const std::uint32_t* drawn, GroupStats& stats1, GroupStats& stats2) {
        GroupSums sums1;
        GroupSums sums2;
        sums1.n = sums2.n = static_cast<std::int32_t>(m_n);
        float s1 = 0.0f, q1 = 0.0f, s2 = 0.0f, q2 = 0.0f;
        for (std::size_t m = 0; m < m_n; ++m) {
            const RankedPair& pair = m_pairs[drawn[m]];
            s1 = addToSingleSum(s1, pair.v1);
            q1 = addSquareToSingleSum(q1, pair.v1);
            s2 = addToSingleSum(s2, pair.v2);
            q2 = addSquareToSingleSum(q2, pair.v2);
            ++m_count1[pair.rank1];
            ++m_count2[pair.rank2];
        }
        sums1.sngSum = s1;
        sums1.sngSumSquares = q1;
        sums2.sngSum = s2;
        sums2.sngSumSquares = q2;

        layOut(m_count1, m_sorted1, m_laid1);
        layOut(m_count2, m_sorted2, m_laid2);

        // Both columns have nPairs values, so they share the kept positions
        // and their four sums can run side by side.
        const auto g = static_cast<std::size_t>(TrimCount(sums1.n));
        const std::size_t lo = g;
        const std::size_t hi = m_n - g - 1;
        const float* y1 = m_laid1.data();
        const float* y2 = m_laid2.data();
        float t1 = 0.0f, u1 = 0.0f, t2 = 0.0f, u2 = 0.0f;
        for (std::size_t i = lo; i <= hi; ++i) {
            t1 = addToSingleSum(t1, y1[i]);
            u1 = addSquareToSingleSum(u1, y1[i]);
            t2 = addToSingleSum(t2, y2[i]);
            u2 = addSquareToSingleSum(u2, y2[i]);
        }
        sums1.sngTrimSum = t1;
        sums1.sngTrimSumSquares = u1;
        sums1.sngLowKept = y1[lo];
        sums1.sngHighKept = y1[hi];
        sums2.sngTrimSum = t2;
        sums2.sngTrimSumSquares = u2;
        sums2.sngLowKept = y2[lo];
        sums2.sngHighKept = y2[hi];
        stats1 = GroupStatsFromSums(sums1);
        stats2 = GroupStatsFromSums(sums2);
    }

private:
    static constexpr std::size_t kBlock = 8;

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
    std::vector<std::uint32_t> m_count1;
    std::vector<std::uint32_t> m_count2;
    std::vector<float> m_laid1;
    std::vector<float> m_laid2;
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
    std::vector<std::uint32_t> drawn(engine.size());
    ValueList pooledD, pooledRobustD, nonpooledD, nonpooledRobustD;
    for (ValueList* list : {&pooledD, &pooledRobustD, &nonpooledD, &nonpooledRobustD})
        list->values.reserve(static_cast<std::size_t>(trials));

    for (std::int32_t t = 1; t <= trials; ++t) {
        if (hooks.progress) hooks.progress(t);
        drawTrial(random, sample.nPairs, drawn.data());
        GroupStats stats1;
        GroupStats stats2;
        engine.computeTrial(drawn.data(), stats1, stats2);
        const EffectSizes es = ComputeEffectSizes(stats1, stats2, options.lngNonpooledSdVar);
        if (!isFiniteStats(stats1) || !isFiniteStats(stats2) || !isFiniteEstimates(es)) {
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
