#include "analysis/descriptives/descriptives_report.h"

#include <utility>

#include "data/data_set.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"

namespace velmora {

namespace {

constexpr std::size_t kTextWidth = kDescriptivesCellWidth - 1;
constexpr int kTableWidth = 6 * kDescriptivesCellWidth;

std::string fitted(double value, std::string text) {
    return fittedText(value, std::move(text), kTextWidth);
}

}  // namespace

std::array<std::string, 6> DescriptiveCellTexts(const DescriptiveRow& row) {
    const std::string dot = ".";
    // The longest label, "Var 1000", fits as it is; a name from the header
    // line takes its place, cut with a "~" when it is longer than the cell.
    return {
        row.name.empty() ? variableLabel(row.lngColumn) : CutToColumn(row.name, kTextWidth),
        row.dblMean ? fitted(*row.dblMean, doubleText(*row.dblMean)) : dot,
        row.dblSD ? fitted(*row.dblSD, doubleText(*row.dblSD)) : dot,
        row.sngMin ? fitted(*row.sngMin, singleText(*row.sngMin)) : dot,
        row.sngMax ? fitted(*row.sngMax, singleText(*row.sngMax)) : dot,
        fitted(row.lngN, integerText(row.lngN)),
    };
}

std::string BuildDescriptivesReport(const std::vector<DescriptiveRow>& rows) {
    const std::array<std::string, 6> header = {"Name", "Mean", "SD", "Min", "Max", "N"};
    ReportText out;
    out.line("DESCRIPTIVES");
    out.rule(kTableWidth);
    out.row(header, kDescriptivesCellWidth);
    out.rule(kTableWidth);
    std::string lostPrecision;
    for (const DescriptiveRow& row : rows) {
        out.row(DescriptiveCellTexts(row), kDescriptivesCellWidth);
        if (row.lostSinglePrecision)
            lostPrecision +=
                (lostPrecision.empty() ? "" : ", ") + namedVariableLabel(row.lngColumn, row.name);
    }
    out.rule(kTableWidth);
    if (!lostPrecision.empty()) out.line("Computed in double precision: " + lostPrecision + ".");
    out.emptyLines(3);
    return out.take();
}

}  // namespace velmora
