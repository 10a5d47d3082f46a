#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "analysis/bootstrap/bootstrap_engine.h"
#include "analysis/paired/paired_trials.h"
#include "data/delimited_import.h"
#include "literal_bootstrap.h"
#include "test_data.h"
#include "test_random.h"

namespace velmora {
namespace {

// The four-pair file: every value exact in single, spread 0.8 around a
// million, so the means agree in their first 8 digits.
const char* const kFourPairs =
    "999999 999999.0625\r\n1000000 1000000.0625\r\n1000000 1000000\r\n1000001 1000001\r\n";

// 40 pairs near 100000 with two decimals (not singles, kept as written):
// Var 1 of case i (from 0) is 100000 + ((37 i) mod 97) / 100, Var 2 adds
// (45 + (11 i) mod 23) / 100. SDs 0.288 and 0.294.
std::string fortyPairs() {
    std::string text;
    char line[64];
    for (int i = 0; i < 40; ++i) {
        const int a = (i * 37) % 97;
        const int b = a + 45 + (i * 11) % 23;
        std::snprintf(line, sizeof line, "%d.%02d %d.%02d\r\n", 100000 + a / 100, a % 100,
                      100000 + b / 100, b % 100);
        text += line;
    }
    return text;
}

TEST(AccurateEstimates, EveryDIsTheExactValueOfTheFileRoundedOnce) {
    // Expected d's: Python's fractions.Fraction on the file's decimal values
    // (mean S/n, variance sum((x - mean)^2)/(n - 1), trimmed and Winsorized
    // with g = floor(n/5), pooled variances weighted by n - 1, the robust
    // differences times the double 0.6425729530566938 taken exactly), each d
    // the 60-digit decimal root of the exact quotient, rounded to the
    // nearest single. Pooled, pooled robust, nonpooled, nonpooled robust.
    struct Case {
        const char* name;
        std::string text;
        std::int32_t sdVar;
        float d[4];
    };
    const Case cases[] = {
        // Rounding the means to single first made all four 0.
        {"four pairs",
         kFourPairs,
         1,
         {0.03886610269546509f, 0.024974307045340538f, 0.03827327862381935f,
          0.024593371897935867f}},
        {"forty pairs, SD of Var 1",
         fortyPairs(),
         1,
         {1.941759467124939f, 1.4798446893692017f, 1.9648938179016113f, 1.619259238243103f}},
        {"forty pairs, SD of Var 2",
         fortyPairs(),
         2,
         {1.941759467124939f, 1.4798446893692017f, 1.9194235801696777f, 1.3711776733398438f}},
    };
    for (const Case& c : cases) {
        DataSet data;
        ASSERT_EQ(importDelimitedText(c.text, ' ', data).status, ImportStatus::Completed);
        const PairedSample sample = BuildPairedSample(data, 1, 2);
        const AnalysisOptions options = testing::optionsFor(200, 0.95f, c.sdVar);
        // The trials against the literal run, whose every d is computed in
        // rational arithmetic from the drawn values.
        testing::SeededRandom literalStream(11);
        const testing::LiteralRun literal =
            testing::RunLiteralBootstrap(sample, options, literalStream, true);
        for (Arithmetic arithmetic : {Arithmetic::Double, Arithmetic::Auto}) {
            const std::string at =
                std::string(c.name) + (arithmetic == Arithmetic::Auto ? ", auto" : ", double");
            testing::SeededRandom random(11);
            BootstrapHooks hooks;
            PairedTrials family(options);
            hooks.consumer = &family;
            const BootstrapResult r = RunBootstrap(sample, options, random, hooks, arithmetic);
            const std::optional<PairedRunResult>& paired = family.result();
            ASSERT_EQ(r.outcome, BootstrapOutcome::Completed) << at;
            EXPECT_TRUE(r.accurate) << at;  // under auto the guard trips on both files
            for (Estimator e : kEstimators)
                EXPECT_EQ(r.observed.of(e), c.d[estimatorIndex(e)])
                    << at << ", " << rulesOf(e).name;
            EXPECT_TRUE(r.summary == literal.result.summary) << at;
            EXPECT_GT(r.summary.ciPooledD().sngUpper, r.summary.ciPooledD().sngLower) << at;
            // With complete pairs the pooled d is the paired block's d_av, and
            // both take their limits from the same trials.
            ASSERT_TRUE(paired) << at;
            const PairedEffectSummary& dav = paired->summary.of(PairedEffect::Dav);
            const PairedEffectSummary& robustDav = paired->summary.of(PairedEffect::RobustDav);
            EXPECT_EQ(static_cast<float>(*estimateOf(paired->observed.d, PairedEffect::Dav)),
                      r.observed.sngPooledD())
                << at;
            EXPECT_EQ(static_cast<float>(*dav.percentile.lower), r.summary.ciPooledD().sngLower)
                << at;
            EXPECT_EQ(static_cast<float>(*dav.percentile.upper), r.summary.ciPooledD().sngUpper)
                << at;
            EXPECT_EQ(static_cast<float>(*robustDav.percentile.upper),
                      r.summary.ciPooledRobustD().sngUpper)
                << at;
        }
    }
}

}  // namespace
}  // namespace velmora
