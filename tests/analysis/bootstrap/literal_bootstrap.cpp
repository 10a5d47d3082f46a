#include "literal_bootstrap.h"

#include <gmpxx.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>

#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/exact_sums.h"
#include "support/exact_oracle.h"

namespace velmora::testing {

namespace {

bool finite(const GroupStats& s) {
    return std::isfinite(s.sngMean) && std::isfinite(s.sngTrimmedMean) &&
           std::isfinite(s.sngVariance) && std::isfinite(s.sngWinsMean) &&
           std::isfinite(s.sngWinsVariance);
}

bool finite(const EffectSizes& e) {
    return std::isfinite(e.sngPooledVar) && std::isfinite(e.sngPooledWinsVar) &&
           std::isfinite(e.sngPooledD()) && std::isfinite(e.sngPooledRobustD()) &&
           std::isfinite(e.sngNonpooledD()) && std::isfinite(e.sngNonpooledRobustD());
}

PercentileInterval interval(std::vector<float> list, float level, bool pooled) {
    const auto L = static_cast<long>(list.size());
    if (L == 0) return {9999999.0f, 9999999.0f};
    std::stable_sort(list.begin(), list.end());
    const double a = (1.0 - static_cast<double>(level)) / 2.0;
    const double aL = a * static_cast<double>(L);
    const long q = pooled ? static_cast<long>(aL) : static_cast<long>(std::nearbyint(aL));
    return {list[static_cast<std::size_t>(q)], list[static_cast<std::size_t>(L - q - 1)]};
}

// The exact sums of each format in units of its smallest step: 2^-149 for
// singles, 2^-1074 for doubles.
template <typename Real>
struct Exact;
template <>
struct Exact<float> {
    using Signed = SignedExact;
    using Integer = ExactInteger;
    static constexpr int kUnit = -149;
    static Signed scaled(float x) { return scaledSingle(x); }
};
template <>
struct Exact<double> {
    using Signed = WideSignedExact;
    using Integer = WideExactInteger;
    static constexpr int kUnit = -1074;
    static Signed scaled(double x) { return scaledValue(x, -924); }
};

// The mean and sample variance of `values` (exactly, then rounded once) by
// the two-pass definition.
template <typename Real>
void twoPass(const std::vector<Real>& values, float& mean, float& variance) {
    using E = Exact<Real>;
    const auto n = static_cast<std::uint64_t>(values.size());
    typename E::Signed sum;
    for (Real x : values) sum.add(E::scaled(x));
    mean = roundedQuotientToSingle(sum.magnitude, sum.negative, n, E::kUnit);
    typename E::Integer squares;
    for (Real x : values) {
        typename E::Signed deviation = E::scaled(x);
        deviation.magnitude = deviation.magnitude.times(n);
        deviation.add(typename E::Signed{!sum.negative, sum.magnitude});
        squares.add(deviation.magnitude.times(deviation.magnitude));
    }
    variance = roundedQuotientToSingle(squares, false, n * n * (n - 1), 2 * E::kUnit);
}

template <typename Real>
GroupStats literalAccurateStats(std::vector<Real> values) {
    GroupStats s;
    s.lngN = static_cast<std::int32_t>(values.size());
    twoPass(values, s.sngMean, s.sngVariance);
    std::stable_sort(values.begin(), values.end());
    const auto g = static_cast<std::size_t>(TrimCount(s.lngN));
    const std::vector<Real> kept(values.begin() + static_cast<long>(g),
                                 values.end() - static_cast<long>(g));
    float unused = 0;
    twoPass(kept, s.sngTrimmedMean, unused);
    std::vector<Real> winsorized(g, kept.front());
    winsorized.insert(winsorized.end(), kept.begin(), kept.end());
    winsorized.insert(winsorized.end(), g, kept.back());
    twoPass(winsorized, s.sngWinsMean, s.sngWinsVariance);
    return s;
}

// One column of the sample as the trials see it: its singles, or its values
// as written when it has them and the run is accurate.
struct Column {
    const std::vector<float>& singles;
    const std::vector<double>& written;
    bool usesWritten;
    double at(std::size_t r) const { return usesWritten ? written[r] : singles[r]; }
};

// The exact statistics of one column as rationals (GMP), by their definitions.
struct RationalStats {
    long n = 0;
    mpq_class mean, trimmedMean, variance, winsVariance;
};

mpq_class meanOf(const std::vector<mpq_class>& xs) {
    mpq_class sum = 0;
    for (const mpq_class& x : xs) sum += x;
    return sum / static_cast<long>(xs.size());
}

mpq_class varianceOf(const std::vector<mpq_class>& xs) {
    const mpq_class mean = meanOf(xs);
    mpq_class squares = 0;
    for (const mpq_class& x : xs) squares += (x - mean) * (x - mean);
    return squares / static_cast<long>(xs.size() - 1);
}

RationalStats rationalStats(const std::vector<double>& values) {
    std::vector<mpq_class> xs;
    for (double v : values) xs.emplace_back(v);  // exact: every double is a rational
    std::sort(xs.begin(), xs.end());
    RationalStats s;
    s.n = static_cast<long>(xs.size());
    s.mean = meanOf(xs);
    s.variance = varianceOf(xs);
    const auto g = static_cast<std::size_t>(TrimCount(static_cast<std::int32_t>(s.n)));
    std::vector<mpq_class> kept(xs.begin() + static_cast<long>(g), xs.end() - static_cast<long>(g));
    s.trimmedMean = meanOf(kept);
    std::vector<mpq_class> winsorized(g, kept.front());
    winsorized.insert(winsorized.end(), kept.begin(), kept.end());
    winsorized.insert(winsorized.end(), g, kept.back());
    s.winsVariance = varianceOf(winsorized);
    return s;
}

// A rational rounded once to single, subnormals included.
float toSingle(const mpq_class& q) {
    return oracle::roundedQuotient<float>(q.get_num(), q.get_den(), 0);
}

// diff / sqrt(variance) to 256 bits, then rounded to single; NOT_COMPUTABLE
// unless the variance rounded to single is > 0.
float standardizedExactly(const mpq_class& diff, const mpq_class& variance) {
    if (!(toSingle(variance) > 0.0f)) return 9999999.0f;
    mpfr_t d, v;
    mpfr_init2(d, 256);
    mpfr_init2(v, 256);
    mpfr_set_q(d, diff.get_mpq_t(), MPFR_RNDN);
    mpfr_set_q(v, variance.get_mpq_t(), MPFR_RNDN);
    mpfr_sqrt(v, v, MPFR_RNDN);
    mpfr_div(d, d, v, MPFR_RNDN);
    const float f = mpfr_get_flt(d, MPFR_RNDN);
    mpfr_clear(d);
    mpfr_clear(v);
    return f;
}

}  // namespace

EffectSizes LiteralAccurateEstimates(const std::vector<double>& values1,
                                     const std::vector<double>& values2,
                                     std::int32_t lngNonpooledSdVar) {
    const RationalStats s1 = rationalStats(values1);
    const RationalStats s2 = rationalStats(values2);
    const mpq_class df = s1.n + s2.n - 2;
    const mpq_class pooled = ((s2.n - 1) * s2.variance + (s1.n - 1) * s1.variance) / df;
    const mpq_class pooledWins = ((s2.n - 1) * s2.winsVariance + (s1.n - 1) * s1.winsVariance) / df;
    const mpq_class diff = s2.mean - s1.mean;
    const mpq_class robustDiff = mpq_class(ROBUST_SCALE) * (s2.trimmedMean - s1.trimmedMean);
    const RationalStats& source = lngNonpooledSdVar == 2 ? s2 : s1;
    EffectSizes es;
    es.sngPooledVar = toSingle(pooled);
    es.sngPooledWinsVar = toSingle(pooledWins);
    es.sngPooledD() = standardizedExactly(diff, pooled);
    es.sngPooledRobustD() = standardizedExactly(robustDiff, pooledWins);
    es.sngNonpooledD() = standardizedExactly(diff, source.variance);
    es.sngNonpooledRobustD() = standardizedExactly(robustDiff, source.winsVariance);
    return es;
}

GroupStats LiteralAccurateStats(std::vector<float> values) {
    return literalAccurateStats(std::move(values));
}

GroupStats LiteralAccurateStats(std::vector<double> values) {
    return literalAccurateStats(std::move(values));
}

LiteralRun RunLiteralBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                               RandomStream& random, bool accurate) {
    // Every value is held as a double here, which a single is exactly; a
    // column without written values goes back to its singles for the stats.
    const Column var1{sample.sngVar1, sample.dblVar1, accurate && !sample.dblVar1.empty()};
    const Column var2{sample.sngVar2, sample.dblVar2, accurate && !sample.dblVar2.empty()};
    const auto stats = [accurate](const Column& c, const std::vector<double>& values) {
        if (accurate && c.usesWritten) return LiteralAccurateStats(values);
        const std::vector<float> singles(values.begin(), values.end());
        return accurate ? LiteralAccurateStats(singles) : ComputeGroupStats(singles);
    };
    LiteralRun run;
    BootstrapResult& r = run.result;
    std::vector<double> column1, column2;
    for (std::size_t i = 0; i < sample.sngVar1.size(); ++i) {
        if (sample.sngVar1[i] != 9999999.0f) column1.push_back(var1.at(i));
        if (sample.sngVar2[i] != 9999999.0f) column2.push_back(var2.at(i));
    }
    r.stats1 = stats(var1, column1);
    r.stats2 = stats(var2, column2);
    const std::int32_t sdVar = options.lngNonpooledSdVar;
    r.observed = accurate ? LiteralAccurateEstimates(column1, column2, sdVar)
                          : ComputeEffectSizes(r.stats1, r.stats2, sdVar);
    if (!finite(r.stats1) || !finite(r.stats2) || !finite(r.observed)) {
        r.outcome = BootstrapOutcome::Overflow;
        r.lngFaultPass = 0;
        return run;
    }
    if (!(r.stats1.sngVariance > 0) && !(r.stats2.sngVariance > 0)) {
        r.outcome = BootstrapOutcome::ZeroVariance;
        return run;
    }

    // The complete pairs in case order: the p-th of them is row p - 1 here.
    std::vector<double> pool1, pool2;
    for (std::size_t i = 0; i < sample.sngVar1.size(); ++i) {
        if (sample.sngVar1[i] == 9999999.0f || sample.sngVar2[i] == 9999999.0f) continue;
        pool1.push_back(var1.at(i));
        pool2.push_back(var2.at(i));
    }
    const int nPairs = static_cast<int>(pool1.size());
    std::vector<double> trial1(pool1.size()), trial2(pool2.size());
    std::vector<float> lists[4];
    for (int t = 1; t <= options.lngTrials; ++t) {
        for (int m = 0; m < nPairs; ++m) {
            long p = 0;
            while (p == 0) {
                const float u = random.nextSingle();
                p = static_cast<long>(-std::floor(-static_cast<double>(u) * nPairs));
            }
            trial1[static_cast<std::size_t>(m)] = pool1[static_cast<std::size_t>(p - 1)];
            trial2[static_cast<std::size_t>(m)] = pool2[static_cast<std::size_t>(p - 1)];
        }
        const GroupStats s1 = stats(var1, trial1);
        const GroupStats s2 = stats(var2, trial2);
        const EffectSizes es = accurate ? LiteralAccurateEstimates(trial1, trial2, sdVar)
                                        : ComputeEffectSizes(s1, s2, sdVar);
        if (!finite(s1) || !finite(s2) || !finite(es)) {
            r.outcome = BootstrapOutcome::Overflow;
            r.lngFaultPass = t;
            return run;
        }
        run.trials.push_back(es);
        const float d[4] = {es.sngPooledD(), es.sngPooledRobustD(), es.sngNonpooledD(),
                            es.sngNonpooledRobustD()};
        for (int k = 0; k < 4; ++k)
            if (d[k] != 9999999.0f) lists[k].push_back(d[k]);
    }
    r.summary.lngTrials = options.lngTrials;
    r.summary.lngValidPooledD() = static_cast<std::int32_t>(lists[0].size());
    r.summary.lngValidPooledRobustD() = static_cast<std::int32_t>(lists[1].size());
    r.summary.lngValidNonpooledD() = static_cast<std::int32_t>(lists[2].size());
    r.summary.lngValidNonpooledRobustD() = static_cast<std::int32_t>(lists[3].size());
    const float level = options.sngConfidenceLevel;
    r.summary.ciPooledD() = interval(lists[0], level, true);
    r.summary.ciPooledRobustD() = interval(lists[1], level, true);
    r.summary.ciNonpooledD() = interval(lists[2], level, false);
    r.summary.ciNonpooledRobustD() = interval(lists[3], level, false);
    r.outcome = BootstrapOutcome::Completed;
    return run;
}

}  // namespace velmora::testing
