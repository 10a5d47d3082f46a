#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/bootstrap/test_random.h"
#include "analysis/descriptives/descriptives_analysis.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "data/delimited_import.h"

// The constructed certified reference sets for univariate statistics, read
// through the import as a user would, in the default arithmetic: Var 1
// NumAcc2 (1.2, then 500 pairs 1.1 and 1.3: mean 1.2, SD 0.1), Var 2 NumAcc3
// (the same around 1000000: mean 1000000.2, SD 0.1), Var 3 NumAcc4 (around
// 10000000: mean 10000000.2, SD 0.1), Var 4 NumAcc1 (10000001, 10000003,
// 10000002: mean 10000002, SD 1), Var 5 the whole numbers 1..5 in turn.

namespace velmora {
namespace {

DataSet referenceSets() {
    std::string text;
    for (int k = 0; k < 1001; ++k) {
        const char* tenth = k == 0 ? ".2" : k % 2 == 1 ? ".1" : ".3";
        const char* numAcc1[] = {"10000001", "10000003", "10000002"};
        text += std::string("1") + tenth + " 1000000" + tenth + " 10000000" + tenth + " " +
                (k < 3 ? numAcc1[k] : ".") + " " + std::to_string(k % 5 + 1) + "\r\n";
    }
    DataSet data;
    EXPECT_EQ(importDelimitedText(text, ' ', data).status, ImportStatus::Completed);
    return data;
}

std::vector<std::string> linesOf(const std::string& report) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = report.find("\r\n", at)) != std::string::npos;
         at = end + 2)
        lines.push_back(report.substr(at, end - at));
    return lines;
}

TEST(ReferenceData, ConstructedSetsPrintTheirCertifiedMeanAndSdInDescriptives) {
    const DataSet data = referenceSets();
    // Only the two sets whose tenths singles cannot hold keep their values as written.
    EXPECT_EQ(data.writtenValues.variables(), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(data.writtenValues.bytes(), 2u * 1001u * 8u);

    const DescriptivesRun tenths = RunDescriptivesAnalysis(data, {true});
    ASSERT_EQ(tenths.status, DescriptivesStatus::Completed);
    EXPECT_EQ(linesOf(tenths.report).at(4),
              "Var 1            1.2       0.1       1.1       1.3      1001");

    const DescriptivesRun large = RunDescriptivesAnalysis(data, {false, true, true, true});
    ASSERT_EQ(large.status, DescriptivesStatus::Completed);
    const std::vector<std::string> lines = linesOf(large.report);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[4], "Var 2      1000000.2       0.1   1000000   1000000      1001");
    // The mean of NumAcc4 needs ten characters; the rest of its row:
    EXPECT_EQ(lines[5].substr(20), "       0.1     1E+07     1E+07      1001");
    EXPECT_EQ(large.rows[1].dblMean, 10000000.2);
    EXPECT_EQ(lines[6], "Var 4       10000002         1     1E+07     1E+07         3");
    EXPECT_EQ(lines[8], "Computed in double precision: Var 2, Var 3, Var 4.");
}

TEST(ReferenceData, ConstructedSetsPrintTheirCertifiedMeanAndVarianceInTheEffectSizeReport) {
    // Beside Var 5, whose single figures hold: mean 3001/1001, trimmed mean
    // 1801/601, variance 2006/1001, Winsorized variance 1364.6/1001.
    const DataSet data = referenceSets();
    struct Case {
        std::int32_t var1;
        std::string mean;
    };
    for (const Case& c : {Case{2, "1000000"}, Case{3, "1E+07"}}) {
        AnalysisOptions options;
        options.lngVar1 = c.var1;
        options.lngVar2 = 5;
        options.lngTrials = 600;
        testing::SeededRandom random(7);
        const AnalysisRun run = RunEffectSizeAnalysis(data, options, random);
        ASSERT_EQ(run.status, AnalysisStatus::Completed) << run.message;
        const std::vector<std::string> lines = linesOf(run.report);
        ASSERT_EQ(lines.size(), 42u);
        const std::string pad(15 - c.mean.size(), ' ');
        EXPECT_EQ(lines[4], "Sample Size               1001           1001");
        EXPECT_EQ(lines[6], "Mean           " + pad + c.mean + "          2.998");
        EXPECT_EQ(lines[7], "Trimmed Mean   " + pad + c.mean + "          2.997");
        EXPECT_EQ(lines[9], "Variance                  0.01          2.004");
        EXPECT_EQ(lines[10], "Wins. Var.                0.01          1.363");
        EXPECT_EQ(lines[36],
                  "Computed in double precision: single precision lost accuracy for Var " +
                      std::to_string(c.var1) + ".");
    }
}

}  // namespace
}  // namespace velmora
