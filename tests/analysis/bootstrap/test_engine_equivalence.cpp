#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/bootstrap/bootstrap_engine.h"
#include "literal_bootstrap.h"
#include "test_data.h"
#include "test_random.h"

// The engine lays each trial out from draw counts over presorted columns; the
// literal engine copies and sorts every trial. On the same stream they must
// agree bit for bit (a zero's sign aside, which == ignores): every trial's
// estimates, the observed results and the summary.

namespace velmora {
namespace {

using testing::M;
using testing::optionsFor;
using testing::sampleOf;
using testing::SeededRandom;

// Counts what a run reads from a stream.
class CountingStream final : public RandomStream {
public:
    explicit CountingStream(RandomStream& inner) : m_inner(inner) {}
    float nextSingle() override {
        ++reads;
        return m_inner.nextSingle();
    }
    std::uint64_t nextBits64() override {
        ++reads;
        return m_inner.nextBits64();
    }
    long long reads = 0;

private:
    RandomStream& m_inner;
};

// Runs the literal engine once and the engine with 1, 2, 3 and 8 threads on
// the same stream, and expects them all to agree on every trial, the
// observed results, the summary and how far the stream was read. Returns the
// engine's outcome.
BootstrapOutcome expectEnginesAgree(const PairedSample& sample, const AnalysisOptions& options,
                                    const std::function<std::unique_ptr<RandomStream>()>& stream,
                                    const std::string& where,
                                    Arithmetic arithmetic = Arithmetic::Single) {
    const std::unique_ptr<RandomStream> literalSource = stream();
    CountingStream literalStream(*literalSource);
    const testing::LiteralRun literal = testing::RunLiteralBootstrap(
        sample, options, literalStream, arithmetic == Arithmetic::Double);
    for (int threads : {1, 2, 3, 8}) {
        const std::string at = where + ", " + std::to_string(threads) + " threads";
        const std::unique_ptr<RandomStream> fastSource = stream();
        CountingStream fastStream(*fastSource);
        std::vector<EffectSizes> fastTrials;
        BootstrapHooks hooks;
        hooks.threads = threads;
        hooks.trial = [&](std::int32_t t, const EffectSizes& es) {
            EXPECT_EQ(t, static_cast<std::int32_t>(fastTrials.size()) + 1) << at;
            fastTrials.push_back(es);
        };
        const BootstrapResult fast = RunBootstrap(sample, options, fastStream, hooks, arithmetic);
        EXPECT_EQ(fast.outcome, literal.result.outcome) << at;
        if (fast.outcome != BootstrapOutcome::Completed ||
            literal.result.outcome != BootstrapOutcome::Completed)
            continue;
        EXPECT_EQ(fastStream.reads, literalStream.reads) << at;
        EXPECT_TRUE(fast.stats1 == literal.result.stats1) << at;
        EXPECT_TRUE(fast.stats2 == literal.result.stats2) << at;
        EXPECT_TRUE(fast.observed == literal.result.observed) << at;
        const auto firstDifferent = std::mismatch(fastTrials.begin(), fastTrials.end(),
                                                  literal.trials.begin(), literal.trials.end());
        EXPECT_TRUE(firstDifferent.first == fastTrials.end() &&
                    firstDifferent.second == literal.trials.end())
            << at << " trial " << firstDifferent.first - fastTrials.begin() + 1;
        EXPECT_TRUE(fast.summary == literal.result.summary) << at;
    }
    return literal.result.outcome;
}

template <typename Stream, typename... Args>
std::function<std::unique_ptr<RandomStream>()> streamOf(Args... args) {
    return [=] { return std::make_unique<Stream>(args...); };
}

// The single that draws pair `pair` (1-based) of `pairs`.
float drawOf(int pair, int pairs) {
    return (static_cast<float>(pair) - 0.5f) / static_cast<float>(pairs);
}

// Trials that each draw pair `pair` of `pairs` in their first `repeats` rows and
// the pair of the row itself in the others.
std::vector<float> repeatedDraws(int pair, int pairs, std::initializer_list<int> repeats) {
    std::vector<float> script;
    for (int r : repeats)
        for (int m = 1; m <= pairs; ++m) script.push_back(drawOf(m <= r ? pair : m, pairs));
    return script;
}

// Values for one generated column: a seeded source and a rule turning its
// draws into data.
using Generator = std::function<float(SeededRandom&, int row)>;

struct Family {
    const char* name;
    int cases;
    Generator var1;
    Generator var2;
};

float uniform(SeededRandom& r, float lo, float hi) {
    return lo + (hi - lo) * r.nextSingle();
}
float wholeIn(SeededRandom& r, int lo, int hi) {
    return static_cast<float>(lo +
                              static_cast<int>(r.nextSingle() * static_cast<float>(hi - lo + 1)));
}
Generator withMissing(Generator g, float share) {
    return [g, share](SeededRandom& r, int row) { return r.nextSingle() < share ? M : g(r, row); };
}

const std::vector<Family>& families() {
    static const std::vector<Family> all = {
        {"continuous", 57, [](SeededRandom& r, int) { return uniform(r, -3.0f, 11.0f); },
         [](SeededRandom& r, int) { return uniform(r, 0.0f, 20.0f); }},
        {"ties", 40, [](SeededRandom& r, int) { return wholeIn(r, 1, 3); },
         [](SeededRandom& r, int) { return wholeIn(r, 0, 4); }},
        {"heavy ties", 45,
         [](SeededRandom& r, int) { return r.nextSingle() < 0.9f ? 4.0f : wholeIn(r, 0, 9); },
         [](SeededRandom& r, int) {
             return r.nextSingle() < 0.85f ? -2.5f : uniform(r, -5.0f, 5.0f);
         }},
        {"missing in either column", 64,
         withMissing([](SeededRandom& r, int) { return uniform(r, 0, 1); }, 0.2f),
         withMissing([](SeededRandom& r, int) { return wholeIn(r, 0, 6); }, 0.3f)},
        {"two pairs", 2, [](SeededRandom& r, int) { return wholeIn(r, 1, 9); },
         [](SeededRandom& r, int) { return wholeIn(r, 10, 19); }},
        {"two pairs among missing", 6,
         [](SeededRandom& r, int row) { return row % 3 == 0 ? wholeIn(r, 0, 5) : M; },
         [](SeededRandom& r, int) { return uniform(r, -1, 1); }},
        {"constant column", 30, [](SeededRandom&, int) { return 5.0f; },
         [](SeededRandom& r, int) { return uniform(r, 2.0f, 3.0f); }},
        {"equal whole numbers against ties", 25, [](SeededRandom&, int) { return 7.0f; },
         [](SeededRandom& r, int) { return wholeIn(r, 6, 8); }},
        {"large values small spread", 50,
         [](SeededRandom& r, int) { return 1.0e6f + wholeIn(r, 0, 3) * 0.125f; },
         [](SeededRandom& r, int) { return 16777216.0f + 2.0f * wholeIn(r, 0, 5); }},
        {"negative values", 33, [](SeededRandom& r, int) { return uniform(r, -1.0e4f, -1.0f); },
         [](SeededRandom& r, int) { return -wholeIn(r, 1, 40) * 0.1f; }},
        {"mixed magnitudes", 48,
         [](SeededRandom& r, int) {
             return r.nextSingle() < 0.1f ? uniform(r, 1e7f, 1e8f) : uniform(r, -1, 1);
         },
         [](SeededRandom& r, int) {
             return r.nextSingle() < 0.5f ? 3.0e-5f * wholeIn(r, 1, 9) : 2.0e4f;
         }},
        {"zeros of both signs", 20,
         [](SeededRandom& r, int) { return r.nextSingle() < 0.5f ? -0.0f : 0.0f; },
         [](SeededRandom& r, int) { return r.nextSingle() < 0.5f ? -0.0f : wholeIn(r, 0, 2); }},
        {"many pairs in many batches", 1500,
         [](SeededRandom& r, int) { return wholeIn(r, 0, 60) * 0.25f; },
         withMissing([](SeededRandom& r, int) { return uniform(r, -2.0f, 9.0f); }, 0.02f)},
        {"subnormals beside large values", 40,
         [](SeededRandom& r, int) { return wholeIn(r, -3, 3) * 1.0e-40f; },
         [](SeededRandom& r, int) {
             return r.nextSingle() < 0.2f ? 3.0e15f : wholeIn(r, 0, 9) * 1.5e-20f;
         }},
        {"longer ties", 211, [](SeededRandom& r, int) { return wholeIn(r, 0, 12) * 0.5f; },
         withMissing([](SeededRandom& r, int) { return wholeIn(r, -20, 20) * 0.1f; }, 0.05f)},
    };
    return all;
}

// Every family in six variants of trials (at most `maxTrials`), level, SD
// source and stream; the number of runs that completed.
int expectFamiliesAgree(Arithmetic arithmetic, std::int32_t maxTrials) {
    const float levels[] = {0.9f, 0.95f, 0.99f};
    const std::int32_t trials[] = {600, 200, 77};
    int runs = 0;
    for (const Family& family : families()) {
        for (int variant = 0; variant < 6; ++variant) {
            SeededRandom dataSource(1000 + 17 * static_cast<std::uint64_t>(variant));
            std::vector<float> a(static_cast<std::size_t>(family.cases)), b(a.size());
            for (int i = 0; i < family.cases; ++i) {
                a[static_cast<std::size_t>(i)] = family.var1(dataSource, i);
                b[static_cast<std::size_t>(i)] = family.var2(dataSource, i);
            }
            const PairedSample sample = sampleOf(a, b);
            if (sample.n1 < 2 || sample.n2 < 2 || sample.nPairs < 2) continue;
            const AnalysisOptions options = optionsFor(std::min(trials[variant % 3], maxTrials),
                                                       levels[variant % 3], variant % 2 + 1);
            const std::string where =
                std::string(family.name) + " variant " + std::to_string(variant);

            const std::uint64_t seed = 77 + static_cast<std::uint64_t>(variant);
            const int zeroEvery = variant == 5 ? 97 : 0;
            const BootstrapOutcome outcome = expectEnginesAgree(
                sample, options, streamOf<SeededRandom>(seed, zeroEvery), where, arithmetic);
            if (outcome == BootstrapOutcome::Completed) ++runs;
        }
    }
    return runs;
}

TEST(EngineEquivalence, FastAndLiteralEnginesAgreeBitForBit) {
    // Most families complete; the constant-against-constant ones stop early.
    EXPECT_GT(expectFamiliesAgree(Arithmetic::Single, 600), 65);
}

TEST(EngineEquivalence, AccurateTrialsEqualALiteralTwoPassReference) {
    // The engine adds each rank's mantissa times its draws into exact sums;
    // the reference copies every trial and takes the definitions in two
    // passes. Exact sums agree in any order, so nothing may differ. (The
    // reference is slow: fewer trials per run.)
    EXPECT_GT(expectFamiliesAgree(Arithmetic::Double, 40), 65);
    // Ranks drawn 300 times and cut by both ends of the kept stretch, and a
    // large sample (walked with prefetches).
    std::vector<float> a, b;
    for (int i = 0; i < 40000; ++i) {
        a.push_back(static_cast<float>(i % 17) * 0.1f);
        b.push_back(1.0e4f + static_cast<float>((i * 13) % 29) * 0.01f);
    }
    const PairedSample small = sampleOf(std::vector<float>(a.begin(), a.begin() + 1000),
                                        std::vector<float>(b.begin(), b.begin() + 1000));
    EXPECT_EQ(
        expectEnginesAgree(small, optionsFor(2),
                           streamOf<testing::ScriptedRandom>(repeatedDraws(7, 1000, {300, 700})),
                           "one pair drawn 300 and 700 times", Arithmetic::Double),
        BootstrapOutcome::Completed);
    EXPECT_EQ(expectEnginesAgree(sampleOf(a, b), optionsFor(3),
                                 streamOf<SeededRandom>(std::uint64_t{9}, 0), "forty thousand",
                                 Arithmetic::Double),
              BootstrapOutcome::Completed);
}

TEST(EngineEquivalence, AccurateTrialsOnWrittenValuesEqualALiteralTwoPassReference) {
    // Values as written that their singles cannot hold, beside singles or
    // other written values: the engine ranks the doubles and adds their
    // 53-bit mantissas into exact sums, the reference copies every trial and
    // takes the definitions in two passes.
    using WrittenGenerator = std::function<double(SeededRandom&)>;
    const auto tenthsAbove = [](double base, int steps) {
        return [=](SeededRandom& r) { return base + wholeIn(r, 0, steps) / 10.0; };
    };
    struct WrittenFamily {
        const char* name;
        int cases;
        WrittenGenerator var1;
        bool written1;
        WrittenGenerator var2;
        bool written2;
    };
    const WrittenFamily written[] = {
        {"tenths near a million beside singles", 50, tenthsAbove(1e6, 4), true,
         [](SeededRandom& r) { return static_cast<double>(uniform(r, 0.0f, 20.0f)); }, false},
        {"tenths near ten million, both written", 45, tenthsAbove(1e7, 6), true,
         [](SeededRandom& r) { return -1e7 - wholeIn(r, 0, 3) * 0.3; }, true},
        {"two values with missing cells", 40,
         [](SeededRandom& r) {
             return r.nextSingle() < 0.2f ? 9999999.0 : 1000000.1 + wholeIn(r, 0, 1) * 0.2;
         },
         true,
         [](SeededRandom& r) {
             return r.nextSingle() < 0.1f ? 9999999.0 : 2e5 + wholeIn(r, 0, 9) * 0.01;
         },
         true},
        {"zeros, subnormal doubles and large values", 48,
         [](SeededRandom& r) {
             const float u = r.nextSingle();
             return u < 0.3f   ? 0.0
                    : u < 0.6f ? wholeIn(r, -3, 3) * 4.9e-324
                               : uniform(r, -1e15f, 1e15f) * 1.000000001;
         },
         true, tenthsAbove(-5e6, 20), true},
    };
    const float levels[] = {0.9f, 0.95f, 0.99f};
    int completed = 0;
    for (const WrittenFamily& family : written) {
        for (int variant = 0; variant < 3; ++variant) {
            SeededRandom dataSource(500 + 13 * static_cast<std::uint64_t>(variant));
            std::vector<double> a, b;
            for (int i = 0; i < family.cases; ++i) {
                a.push_back(family.var1(dataSource));
                b.push_back(family.var2(dataSource));
            }
            const PairedSample sample =
                testing::writtenSampleOf(a, family.written1, b, family.written2);
            const std::string where =
                std::string(family.name) + " variant " + std::to_string(variant);
            if (expectEnginesAgree(sample, optionsFor(40, levels[variant], variant % 2 + 1),
                                   streamOf<SeededRandom>(std::uint64_t{60} + variant, 0), where,
                                   Arithmetic::Double) == BootstrapOutcome::Completed)
                ++completed;
        }
    }
    EXPECT_EQ(completed, 12);
    // Ranks drawn 300 times and cut by both ends of the kept stretch.
    std::vector<double> a, b;
    for (int i = 0; i < 1000; ++i) {
        a.push_back(1e7 + (i % 17) * 0.1);
        b.push_back(static_cast<double>((i * 13) % 29));
    }
    EXPECT_EQ(
        expectEnginesAgree(testing::writtenSampleOf(a, true, b, false), optionsFor(2),
                           streamOf<testing::ScriptedRandom>(repeatedDraws(7, 1000, {300, 700})),
                           "one pair drawn 300 and 700 times", Arithmetic::Double),
        BootstrapOutcome::Completed);
}

TEST(EngineEquivalence, PairsDrawnManyTimesInOneTrialAgree) {
    // Random draws almost never repeat a pair more than a few times; scripted
    // trials draw one pair 9, 10, 12, 16 and all 20 times.
    std::vector<float> a, b;
    for (int i = 0; i < 20; ++i) {
        a.push_back(static_cast<float>((i * 7) % 20) * 0.3f);
        b.push_back(static_cast<float>((i * 11) % 20) - 4.5f);
    }
    const PairedSample sample = sampleOf(a, b);
    std::vector<float> script;
    const auto draw = [&](int pair) { script.push_back(drawOf(pair, 20)); };
    for (int m = 0; m < 20; ++m) draw(m < 9 ? 13 : m - 8);       // pair 13 nine times, 1..11 once
    for (int m = 0; m < 20; ++m) draw(m % 5 == 0 ? 2 + m : 20);  // pair 20 sixteen times
    for (int m = 0; m < 20; ++m) draw(1);                        // pair 1 throughout
    for (int m = 0; m < 20; ++m) draw(m < 12 ? 7 : 8);           // 12 and 8 copies
    for (int m = 0; m < 20; ++m) draw(m % 2 == 0 ? 5 : 16);      // 10 and 10 copies
    const AnalysisOptions options = optionsFor(5, 0.9f);
    expectEnginesAgree(sample, options, streamOf<testing::ScriptedRandom>(script),
                       "repeated draws");
    testing::ScriptedRandom random(script);
    const BootstrapResult fast = RunBootstrap(sample, options, random);
    ASSERT_EQ(fast.outcome, BootstrapOutcome::Completed);
    EXPECT_EQ(fast.summary.lngValidPooledD(), 4);  // the trial of pair 1 alone is invalid
}

TEST(EngineEquivalence, PairDrawnMoreThan255TimesAgrees) {
    // Draw counts are kept in bytes; 300 and 256 draws of one pair must not
    // wrap around. Trial 1 draws pair 7 in its first 300 rows and trial 2 in
    // its first 256; the other rows draw distinct pairs, so the copies of
    // pair 7 cover only part of the kept positions.
    std::vector<float> a, b;
    for (int i = 0; i < 1000; ++i) {
        a.push_back(static_cast<float>(i % 17));
        b.push_back(static_cast<float>((i * 13) % 29) * 0.5f);
    }
    EXPECT_EQ(
        expectEnginesAgree(sampleOf(a, b), optionsFor(2),
                           streamOf<testing::ScriptedRandom>(repeatedDraws(7, 1000, {300, 256})),
                           "one pair drawn 300 and 256 times"),
        BootstrapOutcome::Completed);
}

TEST(EngineEquivalence, FortyThousandPairsAgree) {
    // Large samples are walked differently (memory is fetched ahead); the
    // results must not change. An odd trial count also runs a trial alone.
    SeededRandom dataSource(31);
    std::vector<float> a, b;
    for (int i = 0; i < 40000; ++i) {
        a.push_back(static_cast<float>(static_cast<int>(dataSource.nextSingle() * 500.0f)) * 0.01f);
        b.push_back(i % 97 == 0 ? M : a.back() * 0.5f + dataSource.nextSingle());
    }
    expectEnginesAgree(sampleOf(a, b), optionsFor(7, 0.99f, 2),
                       streamOf<SeededRandom>(std::uint64_t{8}, 0), "forty thousand pairs");
}

TEST(EngineEquivalence, EqualWholeNumbersInBothColumnsStopInBothEngines) {
    const PairedSample sample = sampleOf({3, 3, 3, 3}, {8, 8, M, 8});
    const AnalysisOptions options = optionsFor(600);
    SeededRandom s1(5), s2(5);
    EXPECT_EQ(RunBootstrap(sample, options, s1).outcome, BootstrapOutcome::ZeroVariance);
    EXPECT_EQ(testing::RunLiteralBootstrap(sample, options, s2).result.outcome,
              BootstrapOutcome::ZeroVariance);
}

}  // namespace
}  // namespace velmora
