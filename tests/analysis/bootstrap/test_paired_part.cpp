#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/bootstrap/bootstrap_engine.h"
#include "analysis/paired/paired_effects_report.h"
#include "analysis/paired/paired_trials.h"
#include "test_data.h"
#include "test_random.h"

// The paired part of a run: the paired d family over the Velmora run's own
// resamples, which must leave every Velmora figure as it is.

namespace velmora {
namespace {

using testing::M;
using testing::optionsFor;
using testing::sampleOf;
using testing::SeededRandom;
using testing::writtenSampleOf;

struct RunRecord {
    BootstrapResult result;
    std::optional<PairedRunResult> paired;
    std::vector<EffectSizes> trials;
    std::vector<PairedEstimates> pairedTrials;
};

RunRecord runWith(const PairedSample& sample, const AnalysisOptions& options, bool paired,
                  int threads, Arithmetic arithmetic = Arithmetic::Single, std::uint64_t seed = 7) {
    RunRecord run;
    SeededRandom random(seed, 97);
    BootstrapHooks hooks;
    hooks.threads = threads;
    hooks.trial = [&](std::int32_t, const EffectSizes& e) { run.trials.push_back(e); };
    std::optional<PairedTrials> family;
    if (paired)
        hooks.consumer = &family.emplace(options, [&](std::int32_t t, const PairedEstimates& e) {
            EXPECT_EQ(t, static_cast<std::int32_t>(run.pairedTrials.size()) + 1);
            run.pairedTrials.push_back(e);
        });
    run.result = RunBootstrap(sample, options, random, hooks, arithmetic);
    if (family) run.paired = family->result();
    return run;
}

void expectSameSingle(float a, float b, const std::string& where) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(a), std::bit_cast<std::uint32_t>(b)) << where;
}

void expectSameVelmora(const RunRecord& a, const RunRecord& b, const std::string& where) {
    ASSERT_EQ(a.result.outcome, b.result.outcome) << where;
    ASSERT_EQ(a.trials.size(), b.trials.size()) << where;
    for (std::size_t t = 0; t < a.trials.size(); ++t) {
        const EffectSizes& x = a.trials[t];
        const EffectSizes& y = b.trials[t];
        const std::string at = where + " trial " + std::to_string(t + 1);
        expectSameSingle(x.sngPooledD(), y.sngPooledD(), at);
        expectSameSingle(x.sngPooledRobustD(), y.sngPooledRobustD(), at);
        expectSameSingle(x.sngNonpooledD(), y.sngNonpooledD(), at);
        expectSameSingle(x.sngNonpooledRobustD(), y.sngNonpooledRobustD(), at);
    }
    const BootstrapSummary& x = a.result.summary;
    const BootstrapSummary& y = b.result.summary;
    for (const auto& [p, q] : {std::pair{x.ciPooledD(), y.ciPooledD()},
                               {x.ciPooledRobustD(), y.ciPooledRobustD()},
                               {x.ciNonpooledD(), y.ciNonpooledD()},
                               {x.ciNonpooledRobustD(), y.ciNonpooledRobustD()}}) {
        expectSameSingle(p.sngLower, q.sngLower, where);
        expectSameSingle(p.sngUpper, q.sngUpper, where);
    }
    expectSameSingle(a.result.observed.sngPooledD(), b.result.observed.sngPooledD(), where);
    EXPECT_EQ(a.result.accurate, b.result.accurate) << where;
}

std::vector<float> column(int n, int multiplier, int modulus, float scale) {
    std::vector<float> values;
    for (int i = 0; i < n; ++i)
        values.push_back(static_cast<float>((i * multiplier) % modulus) * scale);
    return values;
}

TEST(PairedPart, VelmoraFiguresAreTheSameWithAndWithoutIt) {
    // Missing cells on both sides, so the complete pairs are fewer than either column.
    std::vector<float> a = column(240, 37, 101, 0.5f);
    std::vector<float> b = column(240, 53, 89, 0.25f);
    a[3] = M;
    b[10] = M;
    const PairedSample singles = sampleOf(a, b);
    const PairedSample written = writtenSampleOf({1e7 + 0.1, 1e7 + 0.4, 1e7 + 0.2, 1e7 + 0.9, 1e7},
                                                 true, {3, 1, 4, 1, 5}, false);
    struct Case {
        const char* name;
        const PairedSample& sample;
        Arithmetic arithmetic;
    };
    const Case cases[] = {{"single", singles, Arithmetic::Single},
                          {"accurate", singles, Arithmetic::Double},
                          {"auto on written values", written, Arithmetic::Auto}};
    for (const Case& c : cases) {
        const RunRecord without =
            runWith(c.sample, optionsFor(300, 0.9f, 2), false, 2, c.arithmetic);
        const RunRecord with = runWith(c.sample, optionsFor(300, 0.9f, 2), true, 2, c.arithmetic);
        ASSERT_EQ(with.result.outcome, BootstrapOutcome::Completed) << c.name;
        expectSameVelmora(without, with, c.name);
        EXPECT_FALSE(without.paired.has_value()) << c.name;
        EXPECT_TRUE(without.pairedTrials.empty()) << c.name;
        ASSERT_TRUE(with.paired.has_value()) << c.name;
        EXPECT_EQ(with.pairedTrials.size(), 300u) << c.name;
    }
}

TEST(PairedPart, BlockIsTheSameForOneTwoAndEightThreads) {
    const PairedSample sample = sampleOf(column(500, 37, 101, 0.5f), column(500, 53, 89, 0.25f));
    const AnalysisOptions options = optionsFor(700, 0.95f, 1);
    const RunRecord one = runWith(sample, options, true, 1);
    ASSERT_TRUE(one.paired.has_value());
    const std::string block =
        BuildPairedEffectsReport(options, 7, one.paired->observed, one.paired->summary);
    for (int threads : {2, 8}) {
        const RunRecord other = runWith(sample, options, true, threads);
        ASSERT_TRUE(other.paired.has_value()) << threads;
        EXPECT_EQ(other.pairedTrials, one.pairedTrials) << threads << " threads";
        EXPECT_EQ(other.paired->summary, one.paired->summary) << threads;
        EXPECT_EQ(
            BuildPairedEffectsReport(options, 7, other.paired->observed, other.paired->summary),
            block)
            << threads << " threads";
    }
}

TEST(PairedPart, EachTrialIsTheFamilyOfThePairsItsDrawsName) {
    // The draws replayed from the same stream, one pair per row, and the
    // family computed afresh on the drawn pairs themselves.
    const std::vector<double> x = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5};
    const std::vector<double> y = {2, 7, 1, 8, 2, 8, 1, 8, 2, 8, 4};
    const PairedSample sample =
        sampleOf(std::vector<float>(x.begin(), x.end()), std::vector<float>(y.begin(), y.end()));
    const std::int32_t trials = 60;
    const RunRecord run = runWith(sample, optionsFor(trials, 0.9f, 2), true, 2);
    ASSERT_EQ(run.pairedTrials.size(), static_cast<std::size_t>(trials));
    SeededRandom replay(7, 97);
    std::int32_t validDz = 0;
    for (std::int32_t t = 0; t < trials; ++t) {
        WrittenPairs drawn;
        for (std::size_t row = 0; row < x.size(); ++row) {
            const auto k = static_cast<std::size_t>(DrawPairNumber(replay, 11) - 1);
            drawn.dblVar1.push_back(x[k]);
            drawn.dblVar2.push_back(y[k]);
        }
        EXPECT_EQ(run.pairedTrials[static_cast<std::size_t>(t)],
                  ComputePairedObserved(PairedColumns(drawn), 2).d)
            << "trial " << t + 1;
        if (estimateOf(run.pairedTrials[static_cast<std::size_t>(t)], PairedEffect::Dz)) ++validDz;
    }
    EXPECT_EQ(run.paired->summary.of(PairedEffect::Dz).lngValid, validDz);
    EXPECT_EQ(run.paired->summary.lngTrials, trials);
}

}  // namespace
}  // namespace velmora
