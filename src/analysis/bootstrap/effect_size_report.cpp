#include "analysis/bootstrap/effect_size_report.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "analysis/bootstrap/column_rule.h"
#include "runtime/number_text.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

constexpr int kCellWidth = 15;
constexpr std::string_view kNewLine = "\r\n";

class ReportWriter {
public:
    void line(std::string_view text = {}) {
        m_text.append(text);
        m_text.append(kNewLine);
    }
    void rule(int width) { line(std::string(static_cast<std::size_t>(width), '-')); }
    void row(std::string label, std::string cell2, std::string cell3) {
        const std::string cells[] = {std::move(label), std::move(cell2), std::move(cell3)};
        line(PadRow(cells, kCellWidth));
    }
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

std::string intervalText(const PercentileInterval& ci) {
    return "(" + reportValueText(ci.sngLower) + ", " + reportValueText(ci.sngUpper) + ")";
}

}  // namespace

std::string reportValueText(float value) {
    return singleText(roundHalfEven(value, 3));
}

std::string confidenceLevelText(float sngConfidenceLevel) {
    // The product is stored as a single first: 0.9f * 100 is exactly 90 then.
    const float percent = sngConfidenceLevel * 100.0f;
    return singleText(percent);
}

std::string BuildEffectSizeReport(const AnalysisOptions& options, const GroupStats& stats1,
                                  const GroupStats& stats2, const EffectSizes& estimates,
                                  const BootstrapSummary& summary,
                                  const std::vector<std::int32_t>& lostPrecisionColumns) {
    constexpr int kTableRule = 3 * kCellWidth;
    constexpr int kEstimatesRule = 50;
    const std::string level = confidenceLevelText(options.sngConfidenceLevel);
    const std::int32_t sdColumn =
        options.lngNonpooledSdVar == 2 ? options.lngVar2 : options.lngVar1;

    ReportWriter out;
    out.line("GROUP-LEVEL STATISTICS");
    out.rule(kTableRule);
    out.row("Statistic", "Var 1", "Var 2");
    out.rule(kTableRule);
    out.row("Sample Size", integerText(stats1.lngN), integerText(stats2.lngN));
    out.line();
    out.row("Mean", reportValueText(stats1.sngMean), reportValueText(stats2.sngMean));
    out.row("Trimmed Mean", reportValueText(stats1.sngTrimmedMean),
            reportValueText(stats2.sngTrimmedMean));
    out.line();
    out.row("Variance", reportValueText(stats1.sngVariance), reportValueText(stats2.sngVariance));
    out.row("Wins. Var.", reportValueText(stats1.sngWinsVariance),
            reportValueText(stats2.sngWinsVariance));
    out.rule(kTableRule);
    out.line("Var1 = Var " + integerText(options.lngVar1) + "; Var2 = Var " +
             integerText(options.lngVar2));
    out.line();
    out.line();
    out.line("EFFECT SIZE ESTIMATES AND " + level + "% CI");
    out.rule(kEstimatesRule);
    out.line("Pooled variance = " + reportValueText(estimates.sngPooledVar));
    out.line("Pooled Winsorized variance = " + reportValueText(estimates.sngPooledWinsVar));
    out.line();
    out.line("Pooled Cohen's D = " + reportValueText(estimates.sngPooledD));
    out.line("Pooled Robust Cohen's D = " + reportValueText(estimates.sngPooledRobustD));
    out.line("Nonpooled Cohen's D = " + reportValueText(estimates.sngNonpooledD));
    out.line("Nonpooled Robust Cohen's D = " + reportValueText(estimates.sngNonpooledRobustD));
    out.line();
    out.line(level + "% CI for population pooled D = " + intervalText(summary.ciPooledD));
    out.line(level +
             "% CI for population pooled Robust D = " + intervalText(summary.ciPooledRobustD));
    out.line(level + "% CI for population nonpooled D = " + intervalText(summary.ciNonpooledD));
    out.line(level + "% CI for population nonpooled Robust D = " +
             intervalText(summary.ciNonpooledRobustD));
    out.rule(kEstimatesRule);
    out.line("Nonpooled variance obtained from Varaible " + integerText(sdColumn));
    out.line("Number of attempted bootstrap trials = " + integerText(summary.lngTrials));
    out.line("Number of valid pooled D bootstrap trials = " + integerText(summary.lngValidPooledD));
    out.line("Number of valid pooled robust D bootstrap trials = " +
             integerText(summary.lngValidPooledRobustD));
    out.line("Number of valid nonpooled D bootstrap trials = " +
             integerText(summary.lngValidNonpooledD));
    out.line("Number of valid nonpooled robust D bootstrap trials = " +
             integerText(summary.lngValidNonpooledRobustD));
    if (!lostPrecisionColumns.empty()) {
        std::string names;
        for (std::size_t i = 0; i < lostPrecisionColumns.size(); ++i) {
            if (i > 0) names += i + 1 == lostPrecisionColumns.size() ? " and " : ", ";
            names += "Var " + integerText(lostPrecisionColumns[i]);
        }
        out.line("Computed in double precision: single precision lost accuracy for " + names + ".");
    }
    for (int i = 0; i < 5; ++i) out.line();
    return out.take();
}

}  // namespace velmora
