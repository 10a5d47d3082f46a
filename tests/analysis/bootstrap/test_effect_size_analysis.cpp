#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/bootstrap/effect_size_analysis.h"
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
    BootstrapHooks hooks;
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
    BootstrapHooks hooks;
    hooks.progress = [&](std::int32_t t) { progress.push_back(t); };
    AnalysisOptions options = choose(2, 4);
    options.sngConfidenceLevel = 0.99f;
    const AnalysisRun run = RunEffectSizeAnalysis(data, options, random, hooks);
    ASSERT_EQ(run.status, AnalysisStatus::Completed) << run.message;
    EXPECT_EQ(random.singlesLeft(), 0u);
    ASSERT_EQ(progress.size(), 600u);
    EXPECT_EQ(progress.back(), 600);
    EXPECT_EQ(run.stats1.lngN, 3);  // Var 2 has all three cases
    EXPECT_EQ(run.summary.lngValidNonpooledRobustD, 600);

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
        "\r\n\r\n\r\n\r\n\r\n";
    EXPECT_EQ(run.report, expected);
}

}  // namespace
}  // namespace velmora
