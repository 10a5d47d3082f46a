#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/bootstrap/effect_size_report.h"

namespace velmora {
namespace {

std::string sp(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}
std::string dashes(int n) {
    return std::string(static_cast<std::size_t>(n), '-');
}

// The expected report, one entry per line, each given its CR LF here.
std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Compares line by line first, so a failure names the line.
void expectReport(const std::string& got, const std::vector<std::string>& lines) {
    std::vector<std::string> gotLines;
    std::size_t start = 0;
    for (std::size_t end; (end = got.find("\r\n", start)) != std::string::npos; start = end + 2)
        gotLines.push_back(got.substr(start, end - start));
    EXPECT_EQ(start, got.size()) << "text after the last CR LF";
    ASSERT_EQ(gotLines.size(), 41u);
    ASSERT_EQ(lines.size(), 41u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(gotLines[i], lines[i]) << "line " << i + 1;
    EXPECT_EQ(got, joined(lines));
}

TEST(EffectSizeReport, NinetyPercentReportWithEveryNumberForm) {
    AnalysisOptions options;
    options.lngVar1 = 3;
    options.lngVar2 = 7;
    options.lngTrials = 1000;
    options.sngConfidenceLevel = 0.9f;
    options.lngNonpooledSdVar = 1;
    GroupStats s1{20, 2.5f, 2.25f, 12345678.0f, 2.5f, 0.0004f};
    GroupStats s2{18, 12.3456f, -0.0004f, 12345.678f, 0.0f, 1234567.8f};
    EffectSizes es{0.25f, 3.0f, -0.3333333f, 9999999.0f, 1.2345f, 0.0625f};
    BootstrapSummary summary;
    summary.lngTrials = 1000;
    summary.lngValidPooledD() = 998;
    summary.lngValidPooledRobustD() = 0;
    summary.lngValidNonpooledD() = 1000;
    summary.lngValidNonpooledRobustD() = 7;
    summary.ciPooledD() = {-1.5f, 0.75f};
    summary.ciPooledRobustD() = {9999999.0f, 9999999.0f};
    summary.ciNonpooledD() = {0.1f, 2.0004f};
    summary.ciNonpooledRobustD() = {-0.0001f, 3.14159f};

    expectReport(BuildEffectSizeReport(options, s1, s2, es, summary),
                 {
                     "GROUP-LEVEL STATISTICS",
                     dashes(45),
                     "Statistic" + sp(6) + sp(10) + "Var 1" + sp(10) + "Var 2",
                     dashes(45),
                     "Sample Size" + sp(4) + sp(13) + "20" + sp(13) + "18",
                     "",
                     "Mean" + sp(11) + sp(12) + "2.5" + sp(9) + "12.346",
                     // -0.0004 rounds to a negative zero, printed as 0.
                     "Trimmed Mean" + sp(3) + sp(11) + "2.25" + sp(14) + "0",
                     "",
                     "Variance" + sp(7) + sp(3) + "1.234568E+07" + sp(7) + "12345.68",
                     "Wins. Var." + sp(5) + sp(14) + "0" + sp(8) + "1234568",
                     dashes(45),
                     "Var1 = Var 3; Var2 = Var 7",
                     "",
                     "",
                     "EFFECT SIZE ESTIMATES AND 90% CI",
                     dashes(50),
                     "Pooled variance = 0.25",
                     "Pooled Winsorized variance = 3",
                     "",
                     "Pooled Cohen's D = -0.333",
                     "Pooled Robust Cohen's D = 9999999",
                     "Nonpooled Cohen's D = 1.235",
                     // 0.0625 is an exact half at 3 decimals: to the even 0.062.
                     "Nonpooled Robust Cohen's D = 0.062",
                     "",
                     "90% CI for population pooled D = (-1.5, 0.75)",
                     "90% CI for population pooled Robust D = (9999999, 9999999)",
                     "90% CI for population nonpooled D = (0.1, 2)",
                     "90% CI for population nonpooled Robust D = (0, 3.142)",
                     dashes(50),
                     "Nonpooled variance obtained from Varaible 3",
                     "Number of attempted bootstrap trials = 1000",
                     "Number of valid pooled D bootstrap trials = 998",
                     "Number of valid pooled robust D bootstrap trials = 0",
                     "Number of valid nonpooled D bootstrap trials = 1000",
                     "Number of valid nonpooled robust D bootstrap trials = 7",
                     "",
                     "",
                     "",
                     "",
                     "",
                 });
}

TEST(EffectSizeReport, NinetyNinePercentReportNamesTheSecondVariableAsSdSource) {
    AnalysisOptions options;
    options.lngVar1 = 12;
    options.lngVar2 = 5;
    options.lngTrials = 2000;
    options.sngConfidenceLevel = 0.99f;
    options.lngNonpooledSdVar = 2;
    GroupStats s1{1000000, -1234.5678f, -1234.5f, 0.5f, -1234.0f, 0.125f};
    GroupStats s2{2, 100.0f, 99.9996f, 10000000.0f, 100.0f, 9999999.0f};
    EffectSizes es{5000000.0f, 0.0625f, 9999999.0f, -2.0f, 9999999.0f, 0.5f};
    BootstrapSummary summary;
    summary.lngTrials = 2000;
    summary.lngValidPooledD() = 0;
    summary.lngValidPooledRobustD() = 2000;
    summary.lngValidNonpooledD() = 0;
    summary.lngValidNonpooledRobustD() = 1999;
    summary.ciPooledD() = {9999999.0f, 9999999.0f};
    summary.ciPooledRobustD() = {-3.0f, -1.0f};
    summary.ciNonpooledD() = {9999999.0f, 9999999.0f};
    summary.ciNonpooledRobustD() = {0.2f, 0.8f};

    expectReport(BuildEffectSizeReport(options, s1, s2, es, summary),
                 {
                     "GROUP-LEVEL STATISTICS",
                     dashes(45),
                     "Statistic" + sp(6) + sp(10) + "Var 1" + sp(10) + "Var 2",
                     dashes(45),
                     "Sample Size" + sp(4) + sp(8) + "1000000" + sp(14) + "2",
                     "",
                     "Mean" + sp(11) + sp(6) + "-1234.568" + sp(12) + "100",
                     "Trimmed Mean" + sp(3) + sp(8) + "-1234.5" + sp(12) + "100",
                     "",
                     // 10,000,000 is the first value printed with an exponent.
                     "Variance" + sp(7) + sp(12) + "0.5" + sp(10) + "1E+07",
                     "Wins. Var." + sp(5) + sp(10) + "0.125" + sp(8) + "9999999",
                     dashes(45),
                     "Var1 = Var 12; Var2 = Var 5",
                     "",
                     "",
                     "EFFECT SIZE ESTIMATES AND 99% CI",
                     dashes(50),
                     "Pooled variance = 5000000",
                     "Pooled Winsorized variance = 0.062",
                     "",
                     "Pooled Cohen's D = 9999999",
                     "Pooled Robust Cohen's D = -2",
                     "Nonpooled Cohen's D = 9999999",
                     "Nonpooled Robust Cohen's D = 0.5",
                     "",
                     "99% CI for population pooled D = (9999999, 9999999)",
                     "99% CI for population pooled Robust D = (-3, -1)",
                     "99% CI for population nonpooled D = (9999999, 9999999)",
                     "99% CI for population nonpooled Robust D = (0.2, 0.8)",
                     dashes(50),
                     "Nonpooled variance obtained from Varaible 5",
                     "Number of attempted bootstrap trials = 2000",
                     "Number of valid pooled D bootstrap trials = 0",
                     "Number of valid pooled robust D bootstrap trials = 2000",
                     "Number of valid nonpooled D bootstrap trials = 0",
                     "Number of valid nonpooled robust D bootstrap trials = 1999",
                     "",
                     "",
                     "",
                     "",
                     "",
                 });
}

TEST(EffectSizeReport, NinetyFivePercentAndTheSdSourceLineFollowTheOptions) {
    AnalysisOptions options;
    options.lngVar1 = 1;
    options.lngVar2 = 2;
    options.sngConfidenceLevel = 0.95f;
    const GroupStats s{5, 1, 1, 1, 1, 1};
    for (std::int32_t source : {1, 2}) {
        options.lngNonpooledSdVar = source;
        const std::string report =
            BuildEffectSizeReport(options, s, s, EffectSizes{}, BootstrapSummary{});
        EXPECT_NE(report.find("\r\nEFFECT SIZE ESTIMATES AND 95% CI\r\n"), std::string::npos);
        EXPECT_NE(report.find("\r\n95% CI for population nonpooled Robust D = (0, 0)\r\n"),
                  std::string::npos);
        EXPECT_NE(report.find("\r\nNonpooled variance obtained from Varaible " +
                              std::to_string(source) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(report.substr(report.size() - 12), "\r\n\r\n\r\n\r\n\r\n\r\n");
    }
}

}  // namespace
}  // namespace velmora
