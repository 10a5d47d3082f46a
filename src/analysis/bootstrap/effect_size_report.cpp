#include "analysis/bootstrap/effect_size_report.h"

#include <cstdint>
#include <string>
#include <utility>

#include "data/data_set.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

constexpr int kCellWidth = 15;

// A column head: the variable's name when it has one, one blank kept before
// it so that the heads stay apart.
std::string columnHead(const std::string& name, const char* label) {
    return name.empty() ? std::string(label) : CutToColumn(name, kCellWidth - 1);
}

// A row of the group table: a label and the two groups' values.
void groupRow(ReportText& out, std::string label, std::string value1, std::string value2) {
    const std::string cells[] = {std::move(label), std::move(value1), std::move(value2)};
    out.row(cells, kCellWidth);
}

// A column is named by the name its number has, whichever role it plays.
std::string namedColumn(const AnalysisOptions& options, const EffectSizeReportNotes& notes,
                        std::int32_t column) {
    if (column == options.lngVar1) return namedVariableLabel(column, notes.name1);
    if (column == options.lngVar2) return namedVariableLabel(column, notes.name2);
    return variableLabel(column);
}

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
                                  const EffectSizeReportNotes& notes) {
    constexpr int kTableRule = 3 * kCellWidth;
    constexpr int kEstimatesRule = 50;
    const std::string level = confidenceLevelText(options.sngConfidenceLevel);
    const bool sdFromVar2 = options.lngNonpooledSdVar == 2;
    const std::int32_t sdColumn = sdFromVar2 ? options.lngVar2 : options.lngVar1;
    const std::string& sdName = sdFromVar2 ? notes.name2 : notes.name1;
    const auto named = [&](std::int32_t column) { return namedColumn(options, notes, column); };

    ReportText out;
    out.line("GROUP-LEVEL STATISTICS");
    out.rule(kTableRule);
    groupRow(out, "Statistic", columnHead(notes.name1, "Var 1"), columnHead(notes.name2, "Var 2"));
    out.rule(kTableRule);
    groupRow(out, "Sample Size", integerText(stats1.lngN), integerText(stats2.lngN));
    out.line();
    groupRow(out, "Mean", reportValueText(stats1.sngMean), reportValueText(stats2.sngMean));
    groupRow(out, "Trimmed Mean", reportValueText(stats1.sngTrimmedMean),
             reportValueText(stats2.sngTrimmedMean));
    out.line();
    groupRow(out, "Variance", reportValueText(stats1.sngVariance),
             reportValueText(stats2.sngVariance));
    groupRow(out, "Wins. Var.", reportValueText(stats1.sngWinsVariance),
             reportValueText(stats2.sngWinsVariance));
    out.rule(kTableRule);
    out.line("Var1 = " + named(options.lngVar1) + "; Var2 = " + named(options.lngVar2));
    out.emptyLines(2);
    out.line("EFFECT SIZE ESTIMATES AND " + level + "% CI");
    out.rule(kEstimatesRule);
    out.line("Pooled variance = " + reportValueText(estimates.sngPooledVar));
    out.line("Pooled Winsorized variance = " + reportValueText(estimates.sngPooledWinsVar));
    out.line();
    for (Estimator e : kEstimators)
        out.line(std::string(rulesOf(e).name) + " = " + reportValueText(estimates.of(e)));
    out.line();
    for (Estimator e : kEstimators)
        out.line(level + "% CI for population " + rulesOf(e).ciName + " = " +
                 intervalText(summary.ciOf(e)));
    out.rule(kEstimatesRule);
    out.line("Nonpooled variance obtained from Varaible " + integerText(sdColumn) +
             (sdName.empty() ? "" : " (" + sdName + ")"));
    out.line("Number of attempted bootstrap trials = " + integerText(summary.lngTrials));
    for (Estimator e : kEstimators)
        out.line(std::string("Number of valid ") + rulesOf(e).validName +
                 " bootstrap trials = " + integerText(summary.validOf(e)));
    if (notes.seed) out.line("Seed = " + std::to_string(*notes.seed));
    if (!notes.lostPrecisionColumns.empty()) out.line(precisionNoteText(options, notes));
    if (notes.cases &&
        (notes.cases->n1 != notes.cases->nPairs || notes.cases->n2 != notes.cases->nPairs))
        out.line("Estimates use all values (" + integerText(notes.cases->n1) + " and " +
                 integerText(notes.cases->n2) + "); the bootstrap trials resample the " +
                 integerText(notes.cases->nPairs) + " complete pairs.");
    out.emptyLines(5);
    return out.take();
}

std::string precisionNoteText(const AnalysisOptions& options, const EffectSizeReportNotes& notes) {
    const std::vector<std::int32_t>& columns = notes.lostPrecisionColumns;
    if (columns.empty()) return {};
    std::string names;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) names += i + 1 == columns.size() ? " and " : ", ";
        names += namedColumn(options, notes, columns[i]);
    }
    return "Computed in double precision: single precision lost accuracy for " + names + ".";
}

}  // namespace velmora
