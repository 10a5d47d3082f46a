#include "analysis/descriptives/descriptives_report.h"

#include "runtime/number_text.h"
#include "runtime/report_text.h"

namespace velmora {

namespace {

constexpr std::size_t kCutLength = kDescriptivesCellWidth - 1;
constexpr int kTableWidth = 6 * kDescriptivesCellWidth;

std::string cut(std::string text) {
    if (text.size() > kCutLength) text.resize(kCutLength);
    return text;
}

}  // namespace

std::array<std::string, 6> DescriptiveCellTexts(const DescriptiveRow& row) {
    const std::string dot = ".";
    return {
        cut("Var " + integerText(row.lngColumn)),
        cut(row.dblMean ? doubleText(*row.dblMean) : dot),
        cut(row.dblSD ? doubleText(*row.dblSD) : dot),
        cut(row.sngMin ? singleText(*row.sngMin) : dot),
        cut(row.sngMax ? singleText(*row.sngMax) : dot),
        cut(integerText(row.lngN)),
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
                (lostPrecision.empty() ? "" : ", ") + ("Var " + integerText(row.lngColumn));
    }
    out.rule(kTableWidth);
    if (!lostPrecision.empty()) out.line("Computed in double precision: " + lostPrecision + ".");
    out.emptyLines(3);
    return out.take();
}

}  // namespace velmora
