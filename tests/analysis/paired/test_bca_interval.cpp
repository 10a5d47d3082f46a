#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "analysis/paired/bca_interval.h"
#include "analysis/paired/paired_summary.h"

namespace velmora {
namespace {

// The normal distribution function from its definition, independently of
// erfc: Phi(x) = 1/2 + phi(x) (x + x^3/3 + x^5/(3*5) + ...), the series of
// the integral of the density, in long double (good to 1e-16 for |x| <= 4).
long double seriesCdf(long double x) {
    long double term = x;
    long double sum = x;
    for (int k = 1; k < 400 && std::fabs(term) > 1e-30L * std::fabs(sum); ++k) {
        term *= x * x / (2 * k + 1);
        sum += term;
    }
    const long double pi = 3.141592653589793238462643383279502884L;
    return 0.5L + std::exp(-x * x / 2) / std::sqrt(2 * pi) * sum;
}

// Its inverse by bisection.
long double bisectedQuantile(long double p) {
    long double lo = -9.0L;
    long double hi = 9.0L;
    for (int i = 0; i < 200; ++i) {
        const long double mid = (lo + hi) / 2;
        (seriesCdf(mid) < p ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

std::int32_t cut(long double share, std::int32_t count, PositionRule rule) {
    const double aL = static_cast<double>(share) * count;
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<std::int32_t>(rule == PositionRule::Truncate ? std::trunc(aL)
                                                                    : std::nearbyint(aL));
}

TEST(BcaInterval, NormalQuantileAndDistributionAgreeWithTheirDefinitions) {
    for (double p : {2.5e-4, 0.004999995231628418, 0.025000005960464478, 0.05000001192092896, 0.1,
                     0.3, 0.5, 0.7, 0.95, 0.975, 0.9995}) {
        const double want = static_cast<double>(bisectedQuantile(p));
        EXPECT_NEAR(NormalQuantile(p), want, 2e-15 * std::max(1.0, std::abs(want))) << p;
    }
    for (double x : {-3.5, -1.96, -0.5, 0.0, 0.3, 1.6448536, 3.0})
        EXPECT_NEAR(NormalCdf(x), static_cast<double>(seriesCdf(x)), 2e-16) << x;
    EXPECT_EQ(NormalQuantile(0.0), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(NormalQuantile(1.0), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(NormalQuantile(-0.25)));
}

TEST(BcaInterval, WithoutBiasOrAccelerationTakesThePercentilePositions) {
    for (float level : {0.9f, 0.95f, 0.99f})
        for (PositionRule rule : {PositionRule::Truncate, PositionRule::RoundHalfEven})
            for (std::int32_t count : {20, 599, 600, 1000, 2000}) {
                const auto bca = BcaPositionsFor(count, 0.0, 0.0, level, rule);
                const PercentilePositions pct = PercentilePositionsFor(count, level, rule);
                ASSERT_TRUE(bca.has_value());
                EXPECT_EQ(bca->lower, pct.lower) << count << " at " << level;
                EXPECT_EQ(bca->upper, pct.upper) << count << " at " << level;
            }
}

TEST(BcaInterval, FixedTrialsGiveTheLimitsOfAnIndependentComputation) {
    // 1000 skewed trial values in thousandths, some of them tied, the
    // observed estimate among them.
    std::vector<double> trials;
    std::uint32_t state = 12345;
    for (int i = 0; i < 1000; ++i) {
        state = state * 1103515245u + 12345u;
        const double u = static_cast<double>((state >> 8) % 10000) / 10000.0;
        trials.push_back(std::round(1000.0 * (0.4 + u + 0.5 * u * u * u)) / 1000.0);
    }
    std::sort(trials.begin(), trials.end());
    const double observed = trials[420];
    ASSERT_TRUE(std::binary_search(trials.begin(), trials.end(), observed));
    const auto count = static_cast<std::int32_t>(trials.size());
    const long double below =
        std::lower_bound(trials.begin(), trials.end(), observed) - trials.begin();
    const long double equal = std::upper_bound(trials.begin(), trials.end(), observed) -
                              std::lower_bound(trials.begin(), trials.end(), observed);
    const long double z0 = bisectedQuantile((below + equal / 2) / count);

    for (double acceleration : {0.0, 0.071, -0.043})
        for (float level : {0.9f, 0.95f, 0.99f})
            for (PositionRule rule : {PositionRule::Truncate, PositionRule::RoundHalfEven}) {
                const long double z = bisectedQuantile((1.0L - level) / 2);
                const long double w1 = z0 + (z0 + z) / (1 - acceleration * (z0 + z));
                const long double w2 = z0 + (z0 - z) / (1 - acceleration * (z0 - z));
                const std::int32_t lower = cut(seriesCdf(w1), count, rule) + 1;
                const std::int32_t upper = count - cut(seriesCdf(-w2), count, rule);
                const std::string where =
                    "a " + std::to_string(acceleration) + " level " + std::to_string(level);
                const auto at = BcaPositionsFor(count, BiasCorrection(trials, observed),
                                                acceleration, level, rule);
                ASSERT_TRUE(at.has_value()) << where;
                EXPECT_EQ(at->lower, lower) << where;
                EXPECT_EQ(at->upper, upper) << where;
                EXPECT_EQ(ReadBcaInterval(trials, observed, acceleration, level, rule),
                          (PairedInterval{trials[lower - 1], trials[upper - 1]}))
                    << where;
            }
}

TEST(BcaInterval, NotComputableWithoutFiniteBiasCorrectionOrAcceleration) {
    const std::vector<double> trials = {0.1, 0.2, 0.2, 0.3, 0.5};
    const auto bca = [&](std::optional<double> observed, std::optional<double> acceleration) {
        return ReadBcaInterval(trials, observed, acceleration, 0.95f, PositionRule::Truncate);
    };
    const PairedInterval none;
    EXPECT_EQ(bca(0.05, 0.0), none);  // every trial above: z0 = -infinity
    // The top one counts half: share 0.9, z0 = 1.2816, lower share
    // Phi(2 z0 - 1.96) = 0.7268 of 5 cuts 3; upper share Phi(-(2 z0 + 1.96)) cuts 0.
    EXPECT_EQ(bca(0.5, 0.0), PairedInterval({0.3, 0.5}));
    EXPECT_EQ(bca(0.6, 0.0), none);           // every trial below
    EXPECT_EQ(bca(0.2, std::nullopt), none);  // no acceleration
    EXPECT_EQ(bca(std::nullopt, 0.0), none);  // no observed estimate
    EXPECT_EQ(bca(0.2, 1.0), none);           // 1 - a (z0 - z) < 0: the share folds back
    EXPECT_EQ(ReadBcaInterval({}, 0.2, 0.0, 0.95f, PositionRule::Truncate), none);
    EXPECT_EQ(ReadPairedPercentileInterval({}, 0.95f, PositionRule::Truncate), none);
}

TEST(PairedSummary, DbCutsLikeTheNonpooledEstimatorsTheOthersLikeThePooled) {
    // 20 valid values at 95%: a * L = 0.5000001, which truncation cuts to 0
    // and rounding to 1. The observed estimates sit in the middle (z0 = 0)
    // and nothing is accelerated, so BCa takes the percentile positions.
    PairedTrialLists lists;
    for (int t = 20; t >= 1; --t) {
        PairedEstimates trial;
        trial.fill(static_cast<double>(t));
        lists.add(trial);
    }
    lists.add(PairedEstimates{});  // a trial where nothing was computable
    PairedObserved observed;
    observed.d.fill(10.5);
    PairedEstimates accelerations;
    accelerations.fill(0.0);
    const PairedSummary summary = SummarizePairedTrials(lists, observed, accelerations, 21, 0.95f);
    EXPECT_EQ(summary.lngTrials, 21);
    for (PairedEffect e : kPairedEffects) {
        const bool rounds = e == PairedEffect::Db;
        const PairedInterval want{rounds ? 2.0 : 1.0, rounds ? 19.0 : 20.0};
        EXPECT_EQ(summary.of(e), (PairedEffectSummary{20, want, want})) << PairedEffectName(e);
    }
}

}  // namespace
}  // namespace velmora
