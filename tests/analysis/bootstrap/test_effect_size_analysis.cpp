#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "analysis/effect_size/effect_size_analysis.h"
#include "runtime/random_stream.h"
#include "support/address_space_limit.h"
#include "test_data.h"
#include "test_random.h"

namespace velmora {
namespace {

using testing::M;
using testing::ScriptedRandom;

AnalysisOptions choose(std::int32_t var1, std::int32_t var2, std::int32_t trials = 600) {
    AnalysisOptions options;
    options.lngVar1 = var1;
    options.lngVar2 = var2;
    options.lngTrials = trials;
    return options;
}

void expectStop(const DataSet& data, const AnalysisOptions& options, const std::string& message) {
    ScriptedRandom random({});
    const AnalysisRun run = RunEffectSizeAnalysis(data, options, random);
    EXPECT_EQ(run.status, AnalysisStatus::Stopped);
    EXPECT_EQ(run.message, message);
    EXPECT_TRUE(run.report.empty());
    EXPECT_EQ(random.singleCalls(), 0);
}

TEST(EffectSizeAnalysis, ChoicesAreCheckedInOrder) {
    const DataSet empty;
    expectStop(empty, choose(9999999, 9999999), "Variable 1 must be selected.");
    const DataSet data = testing::makeDataSet({{1, 2, 3}, {4, 5, 6}});
    expectStop(data, choose(9999999, 2), "Variable 1 must be selected.");
    expectStop(data, choose(1, 9999999), "Variable 2 must be selected.");
    expectStop(data, choose(1, 1), "Variable 1 and Variable 2 are identical.");
}

TEST(EffectSizeAnalysis, ObservationCountsAreCheckedInOrder) {
    const DataSet data = testing::makeDataSet({
        {1, M, M, M},  // one value
        {M, 2, M, M},  // one value
        {1, 2, 3, M},
        {M, M, M, 4},
        {M, 5, 6, 7},
        {M, M, 8, 9},
    });
    // Variable 1 short comes first, even when Variable 2 is short as well.
    expectStop(data, choose(1, 2),
               "There is an insufficient number of observations for Variable 1.");
    expectStop(data, choose(3, 2),
               "There is an insufficient number of observations for Variable 2.");
    expectStop(data, choose(3, 4),
               "There is an insufficient number of observations for Variable 2.");
    // Three values each but never in the same case.
    const DataSet apart = testing::makeDataSet({{1, 2, 3, M, M, M}, {M, M, M, 4, 5, 6}});
    expectStop(apart, choose(1, 2),
               "There is an insufficient number of joint observations for Variables 1 and 2.");
    // One case in common is still too few.
    expectStop(data, choose(3, 6),
               "There is an insufficient number of joint observations for Variables 1 and 2.");
}

TEST(EffectSizeAnalysis, BothConstantStopsWithTheZeroVarianceMessage) {
    const DataSet data = testing::makeDataSet({{4, 4, 4}, {9, 9, 9}});
    expectStop(data, choose(1, 2), "Group 1 and Group 2 both have a zero variance.");
    // Equal values whose single-precision sums are not exact: only the
    // accurate variances are 0 (single precision leaves a trace and goes on).
    const DataSet tenths = testing::makeDataSet({{0.1f, 0.1f, 0.1f}, {0.3f, 0.3f, 0.3f}});
    expectStop(tenths, choose(1, 2), "Group 1 and Group 2 both have a zero variance.");
    ScriptedRandom random(std::vector<float>(1800, 0.5f));
    EXPECT_EQ(RunEffectSizeAnalysis(tenths, choose(1, 2), random, {}, Arithmetic::Single).status,
              AnalysisStatus::Completed);
}

TEST(EffectSizeAnalysis, OverflowIsAFaultWithoutReport) {
    const DataSet data = testing::makeDataSet({{2.0e19f, 1, 2}, {1, 2, 3}});
    ScriptedRandom random({});
    const AnalysisRun observed = RunEffectSizeAnalysis(data, choose(1, 2), random);
    EXPECT_EQ(observed.status, AnalysisStatus::Fault);
    EXPECT_EQ(observed.message, "Arithmetic overflow in the observed sample.");
    EXPECT_TRUE(observed.report.empty());

    const DataSet trial = testing::makeDataSet({{1.0e19f, 1.0e19f, 1.1e19f}, {1, 2, 3}});
    // Trial 3 draws the largest value three times; the others draw each pair
    // once (the stream may be read beyond the faulting trial).
    std::vector<float> script;
    for (int t = 1; t <= 600; ++t)
        for (float u : {0.1f, 0.5f, 0.9f}) script.push_back(t == 3 ? 0.9f : u);
    ScriptedRandom draws(script);
    const AnalysisRun inTrial = RunEffectSizeAnalysis(trial, choose(1, 2), draws);
    EXPECT_EQ(inTrial.status, AnalysisStatus::Fault);
    EXPECT_EQ(inTrial.message, "Arithmetic overflow in bootstrap trial 3.");
    EXPECT_TRUE(inTrial.report.empty());
}

// 250,000 pairs, 4 trials on 2 threads, under every address-space headroom
// from 1 to 48 MB: wherever memory runs out (the calling thread's storage,
// the worker's), the run ends as a fault without a report; a run that
// completes gives the report of an unlimited run, whoever computed the trials.
TEST(EffectSizeAnalysis, AnyMemoryLimitEndsInTheReportOrTheMemoryFault) {
    VELMORA_TEST_ALONE_UNDER_MEMORY_LIMITS();
    DataSet data;
    data.g_lngNumCases = 250'000;
    data.g_lngNumVariables = 2;
    data.g_sngData = DataMatrix(data.g_lngNumCases);
    float* var1 = data.g_sngData.column(1);
    float* var2 = data.g_sngData.column(2);
    for (std::int32_t i = 1; i <= data.g_lngNumCases; ++i) {
        var1[i] = static_cast<float>(i % 7);
        var2[i] = static_cast<float>(i % 5);
    }
    EffectSizeHooks hooks;
    hooks.threads = 2;
    const auto run = [&] {
        DefaultRandomStream random(1);
        return RunEffectSizeAnalysis(data, choose(1, 2, 4), random, hooks);
    };
    // Also in a child: memory the parent freed would serve the children.
    const std::string report =
        testing::runUnderAddressSpaceLimit(std::size_t{1} << 40, [&] { return run().report; });
    ASSERT_FALSE(report.empty());

    int completed = 0;
    for (std::size_t mb = 1; mb <= 48; ++mb) {
        const std::string seen = testing::runUnderAddressSpaceLimit(mb << 20, [&] {
            const AnalysisRun r = run();
            if (r.status == AnalysisStatus::Completed)
                return std::string(r.report == report ? "the report" : "another report");
            return std::string(r.status == AnalysisStatus::Fault ? "Fault|" : "other|") +
                   r.message + "|" + r.report;
        });
        if (seen == "the report") {
            ++completed;
        } else {
            EXPECT_EQ(seen, "Fault|There is not enough memory for the bootstrap trials.|")
                << mb << " MB";
        }
    }
    EXPECT_GT(completed, 0);
    EXPECT_LT(completed, 48);
}

TEST(EffectSizeAnalysis, TwoPairsGiveTheCompleteReport) {
    // Var 2 and Var 4 of a wider data set; the other columns and a case with
    // Var 4 missing stay out. Every trial draws both pairs, so all 600 are
    // valid and every limit equals the observed estimate.
    const DataSet data = testing::makeDataSet({
        {9, 9, 9},
        {1, 2, 5},
        {0, 0, 0},
        {3, 7, M},
    });
    std::vector<float> script;
    for (int t = 0; t < 600; ++t) {
        script.push_back(0.25f);
        script.push_back(0.75f);
    }
    ScriptedRandom random(script);
    std::vector<std::int32_t> progress;
    EffectSizeHooks hooks;
    hooks.progress = [&](std::int32_t t) { progress.push_back(t); };
    AnalysisOptions options = choose(2, 4);
    options.sngConfidenceLevel = 0.99f;
    const AnalysisRun run = RunEffectSizeAnalysis(data, options, random, hooks);
    ASSERT_EQ(run.status, AnalysisStatus::Completed) << run.message;
    EXPECT_EQ(random.singlesLeft(), 0u);
    ASSERT_EQ(progress.size(), 600u);
    EXPECT_EQ(progress.back(), 600);
    EXPECT_EQ(run.stats1.lngN, 3);  // Var 2 has all three cases
    EXPECT_EQ(run.summary.lngValidNonpooledRobustD(), 600);

    // Var 2: 1, 2, 5, mean 8/3 stored as 2.66666675, so the variance is
    // (10 - 7.1111115) * 1.5 = 4.3333325; Var 4: 3, 7 (mean 5, variance 8).
    // Pooled (8 + 2 * 4.3333325) / 3 = 5.5555549; d = 2.3333333 / 2.3570226 =
    // 0.98995; nonpooled on Var 2: 2.3333333 / 2.0816659 = 1.1208972. The
    // trials see only the pairs (1, 3) and (2, 7): pooled variance 4.25,
    // d = 3.5 / sqrt(4.25), nonpooled 3.5 / sqrt(0.5).
    const std::string expected =
        "GROUP-LEVEL STATISTICS\r\n"
        "---------------------------------------------\r\n"
        "Statistic                Var 1          Var 2\r\n"
        "---------------------------------------------\r\n"
        "Sample Size                  3              2\r\n"
        "\r\n"
        "Mean                     2.667              5\r\n"
        "Trimmed Mean             2.667              5\r\n"
        "\r\n"
        "Variance                 4.333              8\r\n"
        "Wins. Var.               4.333              8\r\n"
        "---------------------------------------------\r\n"
        "Var1 = Var 2; Var2 = Var 4\r\n"
        "\r\n"
        "\r\n"
        "EFFECT SIZE ESTIMATES AND 99% CI\r\n"
        "--------------------------------------------------\r\n"
        "Pooled variance = 5.556\r\n"
        "Pooled Winsorized variance = 5.556\r\n"
        "\r\n"
        "Pooled Cohen's D = 0.99\r\n"
        "Pooled Robust Cohen's D = 0.636\r\n"
        "Nonpooled Cohen's D = 1.121\r\n"
        "Nonpooled Robust Cohen's D = 0.72\r\n"
        "\r\n"
        "99% CI for population pooled D = (1.698, 1.698)\r\n"
        "99% CI for population pooled Robust D = (1.091, 1.091)\r\n"
        "99% CI for population nonpooled D = (4.95, 4.95)\r\n"
        "99% CI for population nonpooled Robust D = (3.181, 3.181)\r\n"
        "--------------------------------------------------\r\n"
        "Nonpooled variance obtained from Varaible 2\r\n"
        "Number of attempted bootstrap trials = 600\r\n"
        "Number of valid pooled D bootstrap trials = 600\r\n"
        "Number of valid pooled robust D bootstrap trials = 600\r\n"
        "Number of valid nonpooled D bootstrap trials = 600\r\n"
        "Number of valid nonpooled robust D bootstrap trials = 600\r\n"
        "Estimates use all values (3 and 2); the bootstrap trials resample the 2 complete "
        "pairs.\r\n"
        "\r\n\r\n\r\n\r\n\r\n";
    EXPECT_EQ(run.report, expected);
}

// Data on which single-precision running sums fail, and what each arithmetic
// prints. Expected accurate figures are the exact values of the formulas.
TEST(EffectSizeAnalysis, SinglePrecisionFailureSwitchesTheWholeRunToDoublePrecision) {
    // Fifty years of birth 2017..2023, sum of squared deviations 152 (variance
    // 152/49 = 3.102, Winsorized 102/49 = 2.082), and a later year for each
    // (mean 2022.7, variance 409/98 = 4.173, Winsorized 3489/2450 = 1.424);
    // pooled d 2.7 / sqrt(3.638) = 1.416. Single sums of squares near 2e8 step
    // by 16: variances 2.939 and 3.702, d 1.482.
    const std::vector<float> born = {2020, 2017, 2019, 2019, 2021, 2020, 2023, 2018, 2018, 2017,
                                     2021, 2019, 2020, 2020, 2022, 2020, 2018, 2022, 2020, 2017,
                                     2022, 2019, 2017, 2020, 2021, 2021, 2023, 2020, 2020, 2019,
                                     2022, 2020, 2017, 2018, 2018, 2020, 2023, 2018, 2022, 2022,
                                     2020, 2023, 2019, 2019, 2021, 2021, 2023, 2020, 2021, 2020};
    const std::vector<float> later = {2022, 2020, 2022, 2021, 2023, 2023, 2026, 2022, 2021, 2018,
                                      2024, 2020, 2023, 2022, 2025, 2022, 2020, 2026, 2023, 2020,
                                      2025, 2022, 2020, 2024, 2023, 2023, 2027, 2022, 2023, 2022,
                                      2026, 2021, 2021, 2019, 2020, 2023, 2024, 2020, 2023, 2024,
                                      2023, 2026, 2023, 2022, 2025, 2024, 2026, 2024, 2024, 2023};
    // Thirty values around 60000 with SD 5.7 in column 3 (variance 4666/145 =
    // 32.179, Winsorized 9688/435 = 22.271), beside 1..9 in column 1. Single
    // precision gives -86.127 and -264.836, so no d at all.
    std::vector<float> small;
    const std::vector<float> large = {59995, 60002, 59994, 59992, 59995, 60006, 59997, 59999,
                                      60004, 60000, 60004, 60007, 60003, 60009, 60002, 60008,
                                      60009, 60004, 60009, 59998, 60001, 59991, 59999, 59996,
                                      60001, 60008, 60009, 60009, 59994, 59997};
    for (int i = 0; i < 30; ++i) small.push_back(static_cast<float>((i * 7) % 9 + 1));
    // Three equal values 0.1 have no spread: in single precision their
    // variance is 1.5E-10, which makes a nonpooled d of 182954.7 in the
    // observed sample and in every trial.
    const DataSet years = testing::makeDataSet({born, later});
    const DataSet scale = testing::makeDataSet({small, {}, large});
    const DataSet tenths = testing::makeDataSet({{0.1f, 0.1f, 0.1f}, {1, 2, 4}});
    const std::string both = "Computed in double precision: single precision lost accuracy for ";

    struct Choice {
        const DataSet* data;
        std::int32_t var1, var2;
        Arithmetic arithmetic;
    };
    struct Case {
        Choice c;
        std::vector<std::pair<std::size_t, std::string>> lines;  // 0-based line, text
    };
    const std::vector<Case> cases = {
        {{&years, 1, 2, Arithmetic::Single},
         {{9, "Variance                 2.939          3.702"},
          {10, "Wins. Var.               1.959          1.342"},
          {20, "Pooled Cohen's D = 1.482"},
          {36, ""}}},
        {{&years, 1, 2, Arithmetic::Auto},
         {{9, "Variance                 3.102          4.173"},
          {10, "Wins. Var.               2.082          1.424"},
          {20, "Pooled Cohen's D = 1.416"},
          {36, both + "Var 1 and Var 2."},
          {37, ""}}},
        {{&scale, 3, 1, Arithmetic::Single},
         {{9, "Variance               -86.127          7.103"},
          {10, "Wins. Var.            -264.836          5.413"},
          {20, "Pooled Cohen's D = 9999999"}}},
        {{&scale, 3, 1, Arithmetic::Auto},
         {{9, "Variance                32.179          7.103"},
          {10, "Wins. Var.              22.271          5.413"},
          {36, both + "Var 3."}}},
        {{&tenths, 1, 2, Arithmetic::Single},
         {{9, "Variance                     0          2.333"},
          {22, "Nonpooled Cohen's D = 182954.7"},
          {34, "Number of valid nonpooled D bootstrap trials = 600"},
          {36, ""}}},
        {{&tenths, 1, 2, Arithmetic::Auto},
         {{22, "Nonpooled Cohen's D = 9999999"},
          {34, "Number of valid nonpooled D bootstrap trials = 0"},
          {36, both + "Var 1."}}},
    };
    for (const auto& [c, expected] : cases) {
        testing::SeededRandom random(3);
        const AnalysisRun run =
            RunEffectSizeAnalysis(*c.data, choose(c.var1, c.var2), random, {}, c.arithmetic);
        ASSERT_EQ(run.status, AnalysisStatus::Completed) << run.message;
        EXPECT_EQ(run.accurate, c.arithmetic != Arithmetic::Single);
        std::vector<std::string> lines;
        for (std::size_t at = 0, end; (end = run.report.find("\r\n", at)) != std::string::npos;
             at = end + 2)
            lines.push_back(run.report.substr(at, end - at));
        EXPECT_EQ(lines.size(), c.arithmetic == Arithmetic::Single ? 41u : 42u);
        for (const auto& [index, text] : expected)
            EXPECT_EQ(index < lines.size() ? lines[index] : "(none)", text)
                << "line " << index + 1 << " of Var " << c.var1 << " and Var " << c.var2;
        // Double precision throughout gives what Auto gives once single precision has failed.
        if (c.arithmetic == Arithmetic::Auto) {
            testing::SeededRandom again(3);
            EXPECT_EQ(RunEffectSizeAnalysis(*c.data, choose(c.var1, c.var2), again, {},
                                            Arithmetic::Double)
                          .report,
                      run.report);
        }
    }
}

}  // namespace
}  // namespace velmora
