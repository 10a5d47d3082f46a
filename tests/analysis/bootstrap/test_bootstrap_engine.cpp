#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/bootstrap/bootstrap_engine.h"
#include "analysis/bootstrap/effect_sizes.h"
#include "test_data.h"
#include "test_random.h"

namespace velmora {
namespace {

using testing::M;
using testing::optionsFor;
using testing::sampleOf;
using testing::ScriptedRandom;
using testing::SeededRandom;

// ---- drawing a pair -------------------------------------------------------

TEST(PairDraw, CeilingOfTheSingleTimesTheCount) {
    struct Case {
        float u;
        std::int32_t p;
    };
    // 0.1f is 0.10000000149..., so 0.1f * 10 lies above 1 and gives 2; an
    // exact product such as 0.5 * 10 stays 5.
    const Case cases[] = {{0.5f, 5}, {0.25f, 3}, {0.05f, 1},
                          {0.1f, 2}, {0.3f, 4},  {0.9999999f, 10}};
    for (const Case& c : cases) {
        ScriptedRandom random({c.u});
        EXPECT_EQ(DrawPairNumber(random, 10), c.p) << "u = " << c.u;
    }
}

TEST(PairDraw, ExactZeroIsDiscardedAndDrawnAgain) {
    ScriptedRandom random({0.0f, 0.0f, 0.45f});
    EXPECT_EQ(DrawPairNumber(random, 10), 5);
    EXPECT_EQ(random.singleCalls(), 3);
}

TEST(PairDraw, UpToTwoToTheTwentyFourPairsOneSingleDecides) {
    ScriptedRandom random({0x1p-24f, 1.0f - 0x1p-24f});
    EXPECT_EQ(DrawPairNumber(random, SINGLE_DRAW_LIMIT), 1);
    EXPECT_EQ(DrawPairNumber(random, SINGLE_DRAW_LIMIT), 16777215);
    EXPECT_EQ(random.singleCalls(), 2);
    EXPECT_EQ(random.bitsCalls(), 0);
}

TEST(PairDraw, BeyondTwoToTheTwentyFourPairsSixtyFourBitsDecide) {
    const std::int32_t n = SINGLE_DRAW_LIMIT + 1;  // 16777217
    // The high half of x * n: 0 -> pair 1, 2^63 -> n / 2 rounded down plus 1,
    // 2^64 - 1 -> pair n, which a single could never reach.
    ScriptedRandom random({}, {1u, 0x8000000000000000ull, 0xFFFFFFFFFFFFFFFFull});
    EXPECT_EQ(DrawPairNumber(random, n), 1);
    EXPECT_EQ(DrawPairNumber(random, n), 8388609);
    EXPECT_EQ(DrawPairNumber(random, n), 16777217);
    EXPECT_EQ(random.bitsCalls(), 3);
    EXPECT_EQ(random.singleCalls(), 0);
}

TEST(PairDraw, LowHalvesBelowTheRemainderAreRejectedForExactUniformity) {
    // 2^64 mod 16777217 = 65536: a product whose low half is below that is
    // drawn again. x = 0 has low half 0; x = n^-1 mod 2^64 has low half 1.
    const std::int32_t n = SINGLE_DRAW_LIMIT + 1;
    ScriptedRandom random({}, {0u, 281474959933441ull, 0x8000000000000000ull});
    EXPECT_EQ(DrawPairNumber(random, n), 8388609);
    EXPECT_EQ(random.bitsCalls(), 3);

    // At the largest count the remainder is 4.
    ScriptedRandom top({}, {0xFFFFFFFFFFFFFFFFull});
    EXPECT_EQ(DrawPairNumber(top, 2147483647), 2147483647);
}

// ---- the trial loop -------------------------------------------------------

TEST(Bootstrap, TrialsDrawOnlyCompletePairsInCaseOrder) {
    // Complete pairs (1, 2), (2, 4), (3, 9); the other cases hold outliers that
    // would change every figure if they entered a trial.
    const PairedSample sample = sampleOf({1, M, 2, 40, 3}, {2, 50, 4, M, 9});
    // Trial 1 draws pairs 1, 2, 3; trial 2 draws pair 2 three times.
    ScriptedRandom random({0.1f, 0.5f, 0.9f, 0.5f, 0.5f, 0.5f});
    std::vector<EffectSizes> seen;
    BootstrapHooks hooks;
    hooks.trial = [&](std::int32_t t, const EffectSizes& es) {
        EXPECT_EQ(t, static_cast<std::int32_t>(seen.size()) + 1);
        seen.push_back(es);
    };
    const BootstrapResult r = RunBootstrap(sample, optionsFor(2), random, hooks);
    ASSERT_EQ(r.outcome, BootstrapOutcome::Completed);
    EXPECT_EQ(random.singleCalls(), 6);  // nPairs per trial, not N, n1 or n2

    // Observed: each variable with all of its own values.
    EXPECT_EQ(r.stats1.lngN, 4);
    EXPECT_EQ(r.stats1.sngMean, 11.5f);  // 1, 2, 40, 3
    EXPECT_EQ(r.stats2.lngN, 4);
    EXPECT_EQ(r.stats2.sngMean, 16.25f);  // 2, 50, 4, 9

    // Trial 1: Var 1 = 1, 2, 3 (variance 1), Var 2 = 2, 4, 9 (mean 5, variance 13).
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].sngPooledVar, 7.0f);
    EXPECT_EQ(seen[0].sngPooledD(), 1.1338934f);         // 3 / sqrt(7)
    EXPECT_EQ(seen[0].sngPooledRobustD(), 0.72860926f);  // 0.6425... * 3 / sqrt(7)
    EXPECT_EQ(seen[0].sngNonpooledD(), 3.0f);
    EXPECT_EQ(seen[0].sngNonpooledRobustD(), 1.9277189f);
    // Trial 2: one pair three times, both variances exactly 0.
    EXPECT_EQ(seen[1].sngPooledVar, 0.0f);
    EXPECT_EQ(seen[1].sngPooledD(), 9999999.0f);
    EXPECT_EQ(seen[1].sngPooledRobustD(), 9999999.0f);
    EXPECT_EQ(seen[1].sngNonpooledD(), 9999999.0f);
    EXPECT_EQ(seen[1].sngNonpooledRobustD(), 9999999.0f);

    // One valid trial each: the single value is both limits.
    const BootstrapSummary& s = r.summary;
    EXPECT_EQ(s.lngTrials, 2);
    EXPECT_EQ(s.lngValidPooledD(), 1);
    EXPECT_EQ(s.lngValidPooledRobustD(), 1);
    EXPECT_EQ(s.lngValidNonpooledD(), 1);
    EXPECT_EQ(s.lngValidNonpooledRobustD(), 1);
    EXPECT_EQ(s.ciPooledD().sngLower, 1.1338934f);
    EXPECT_EQ(s.ciPooledD().sngUpper, 1.1338934f);
    EXPECT_EQ(s.ciNonpooledD().sngLower, 3.0f);
    EXPECT_EQ(s.ciNonpooledRobustD().sngUpper, 1.9277189f);
}

TEST(Bootstrap, DiscardedZeroDoesNotUseUpARow) {
    const PairedSample sample = sampleOf({1, 2, 3}, {2, 4, 9});
    ScriptedRandom random({0.1f, 0.0f, 0.5f, 0.9f});
    std::vector<EffectSizes> seen;
    BootstrapHooks hooks;
    hooks.trial = [&](std::int32_t, const EffectSizes& es) { seen.push_back(es); };
    const BootstrapResult r = RunBootstrap(sample, optionsFor(1), random, hooks);
    ASSERT_EQ(r.outcome, BootstrapOutcome::Completed);
    EXPECT_EQ(random.singlesLeft(), 0u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].sngPooledD(), 1.1338934f);  // pairs 1, 2, 3 as drawn
}

TEST(Bootstrap, ProgressNamesEachTrialBeforeItsDraws) {
    const PairedSample sample = sampleOf({1, 2, 3}, {2, 4, 9});
    SeededRandom random(7);
    std::vector<long long> callsBefore;
    BootstrapHooks hooks;
    hooks.progress = [&](std::int32_t t) {
        EXPECT_EQ(t, static_cast<std::int32_t>(callsBefore.size()) + 1);
        callsBefore.push_back(random.calls());
    };
    const BootstrapResult r = RunBootstrap(sample, optionsFor(600), random, hooks);
    ASSERT_EQ(r.outcome, BootstrapOutcome::Completed);
    ASSERT_EQ(callsBefore.size(), 600u);
    // The observed pass draws nothing; each trial draws 3 (no zero here).
    for (std::size_t t = 0; t < callsBefore.size(); ++t)
        ASSERT_EQ(callsBefore[t], 3 * static_cast<long long>(t));
}

TEST(Bootstrap, TwoPairsOfWholeNumbersLoseEveryRepeatedDraw) {
    const PairedSample sample = sampleOf({1, 2}, {3, 7});
    // Odd trials draw pairs 1 and 2, even trials pair 1 twice.
    std::vector<float> script;
    for (int t = 1; t <= 600; ++t) {
        script.push_back(0.25f);
        script.push_back(t % 2 == 1 ? 0.75f : 0.25f);
    }
    ScriptedRandom random(script);
    const BootstrapResult r = RunBootstrap(sample, optionsFor(600), random);
    ASSERT_EQ(r.outcome, BootstrapOutcome::Completed);
    const BootstrapSummary& s = r.summary;
    EXPECT_EQ(s.lngTrials, 600);
    EXPECT_EQ(s.lngValidPooledD(), 300);
    EXPECT_EQ(s.lngValidPooledRobustD(), 300);
    EXPECT_EQ(s.lngValidNonpooledD(), 300);
    EXPECT_EQ(s.lngValidNonpooledRobustD(), 300);
    // Every valid trial is the observed sample: pooled variance (0.5 + 8) / 2.
    EXPECT_EQ(r.observed.sngPooledVar, 4.25f);
    EXPECT_EQ(s.ciPooledD().sngLower, 1.6977494f);  // 3.5 / sqrt(4.25)
    EXPECT_EQ(s.ciPooledD().sngUpper, 1.6977494f);
    EXPECT_EQ(s.ciNonpooledD().sngLower, 4.9497476f);  // 3.5 / sqrt(0.5)
}

TEST(Bootstrap, TwoPairsDrawnAtRandomKeepCountersWellBelowTheTrials) {
    const PairedSample sample = sampleOf({1, 2}, {3, 7});
    SeededRandom random(2024);
    const BootstrapResult r = RunBootstrap(sample, optionsFor(1000), random);
    ASSERT_EQ(r.outcome, BootstrapOutcome::Completed);
    // About half the trials repeat a pair; the counters agree (all four fail together).
    EXPECT_GT(r.summary.lngValidPooledD(), 400);
    EXPECT_LT(r.summary.lngValidPooledD(), 600);
    EXPECT_EQ(r.summary.lngValidNonpooledRobustD(), r.summary.lngValidPooledD());
}

TEST(Bootstrap, ConstantSourceHasNoValidNonpooledTrial) {
    // Var 1 is all 5: every resample has variance exactly 0.
    const PairedSample sample = sampleOf({5, 5, 5, 5, 5, 5}, {1, 4, 2, 8, 5, 7});
    SeededRandom random(11);
    const BootstrapResult r = RunBootstrap(sample, optionsFor(600, 0.99f, 1), random);
    ASSERT_EQ(r.outcome, BootstrapOutcome::Completed);
    EXPECT_EQ(r.observed.sngNonpooledD(), 9999999.0f);
    EXPECT_EQ(r.summary.lngValidNonpooledD(), 0);
    EXPECT_EQ(r.summary.lngValidNonpooledRobustD(), 0);
    EXPECT_EQ(r.summary.ciNonpooledD().sngLower, 9999999.0f);
    EXPECT_EQ(r.summary.ciNonpooledD().sngUpper, 9999999.0f);
    EXPECT_EQ(r.summary.ciNonpooledRobustD().sngLower, 9999999.0f);
    EXPECT_EQ(r.summary.ciNonpooledRobustD().sngUpper, 9999999.0f);
    EXPECT_GT(r.summary.lngValidPooledD(), 0);
    EXPECT_LE(r.summary.lngValidPooledD(), 600);
}

TEST(Bootstrap, BothVariancesZeroStopsBeforeAnyTrial) {
    const PairedSample sample = sampleOf({5, 5, 5}, {2, 2, 2});
    ScriptedRandom random({});
    bool progressed = false;
    BootstrapHooks hooks;
    hooks.progress = [&](std::int32_t) { progressed = true; };
    const BootstrapResult r = RunBootstrap(sample, optionsFor(600), random, hooks);
    EXPECT_EQ(r.outcome, BootstrapOutcome::ZeroVariance);
    EXPECT_FALSE(progressed);
    EXPECT_EQ(random.singleCalls(), 0);
}

TEST(Bootstrap, OneZeroVarianceGoesOn) {
    const PairedSample sample = sampleOf({5, 5, 5}, {1, 2, 3});
    SeededRandom random(3);
    EXPECT_EQ(RunBootstrap(sample, optionsFor(600), random).outcome, BootstrapOutcome::Completed);
}

TEST(Bootstrap, OverflowInALateTrialIsTheSameFaultForAnyThreadCount) {
    // Observed Q is 1e38 + 1e38 + 1.21e38, inside the single range; a trial
    // of the largest value three times reaches 3.63e38 and overflows. Every
    // trial draws pairs 1, 2, 3 except trials 577 and 590, which draw pair 3
    // three times: the earliest of them is the fault, even when workers
    // finish later trials first.
    const PairedSample sample = sampleOf({1.0e19f, 1.0e19f, 1.1e19f}, {1, 2, 3});
    std::vector<float> script;
    for (int t = 1; t <= 600; ++t) {
        const bool faulty = t == 577 || t == 590;
        for (float u : {0.1f, 0.5f, 0.9f}) script.push_back(faulty ? 0.9f : u);
    }
    for (int threads : {1, 4}) {
        ScriptedRandom random(script);
        std::vector<std::int32_t> trialsSeen;
        BootstrapHooks hooks;
        hooks.threads = threads;
        hooks.trial = [&](std::int32_t t, const EffectSizes&) { trialsSeen.push_back(t); };
        const BootstrapResult r = RunBootstrap(sample, optionsFor(600), random, hooks);
        EXPECT_EQ(r.outcome, BootstrapOutcome::Overflow) << threads << " threads";
        EXPECT_EQ(r.lngFaultPass, 577) << threads << " threads";
        ASSERT_EQ(trialsSeen.size(), 576u) << threads << " threads";
        EXPECT_EQ(trialsSeen.front(), 1);
        EXPECT_EQ(trialsSeen.back(), 576);
    }
}

TEST(Bootstrap, OverflowInTheObservedSampleIsAFaultOfPassZero) {
    const PairedSample sample = sampleOf({2.0e19f, 1, 2}, {1, 2, 3});
    ScriptedRandom random({});
    const BootstrapResult r = RunBootstrap(sample, optionsFor(600), random);
    EXPECT_EQ(r.outcome, BootstrapOutcome::Overflow);
    EXPECT_EQ(r.lngFaultPass, 0);
}

TEST(Bootstrap, FewerThanTwoPairsComputesNothing) {
    const PairedSample sample = sampleOf({1, 2, M}, {M, 3, 4});
    ScriptedRandom random({});
    EXPECT_EQ(RunBootstrap(sample, optionsFor(600), random).outcome,
              BootstrapOutcome::InsufficientData);
}

TEST(Bootstrap, ThreadCountDoesNotChangeTheResult) {
    std::vector<float> a, b;
    for (int i = 0; i < 300; ++i) {
        a.push_back(static_cast<float>((i * 37) % 101) * 0.5f);
        b.push_back(static_cast<float>((i * 53) % 89) * 0.25f + (i % 3 == 0 ? M : 0.0f));
    }
    const PairedSample sample = sampleOf(a, b);
    BootstrapResult results[3];
    const int threads[3] = {1, 2, 0};
    for (int k = 0; k < 3; ++k) {
        SeededRandom random(99);
        BootstrapHooks hooks;
        hooks.threads = threads[k];
        results[k] = RunBootstrap(sample, optionsFor(800, 0.9f, 2), random, hooks);
        ASSERT_EQ(results[k].outcome, BootstrapOutcome::Completed);
    }
    for (int k = 1; k < 3; ++k) {
        const BootstrapSummary& x = results[0].summary;
        const BootstrapSummary& y = results[k].summary;
        EXPECT_EQ(x.lngValidPooledD(), y.lngValidPooledD());
        EXPECT_EQ(x.ciPooledD().sngLower, y.ciPooledD().sngLower);
        EXPECT_EQ(x.ciPooledD().sngUpper, y.ciPooledD().sngUpper);
        EXPECT_EQ(x.ciNonpooledRobustD().sngLower, y.ciNonpooledRobustD().sngLower);
        EXPECT_EQ(x.ciNonpooledRobustD().sngUpper, y.ciNonpooledRobustD().sngUpper);
    }
}

}  // namespace
}  // namespace velmora
