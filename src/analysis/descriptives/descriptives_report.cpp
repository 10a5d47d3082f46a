#include "analysis/descriptives/descriptives_report.h"

#include <string_view>

#include "analysis/bootstrap/column_rule.h"
#include "runtime/number_text.h"

namespace velmora {

namespace {

constexpr std::size_t kCutLength = kDescriptivesCellWidth - 1;
constexpr std::string_view kEol = "\r\n";

std::string cut(std::string text) {
    if (text.size() > kCutLength) text.resize(kCutLength);
    return text;
}

void appendTableLine(std::string& out, const std::array<std::string, 6>& cells) {
    out += PadRow(cells, kDescriptivesCellWidth);
    out += kEol;
}

void appendRule(std::string& out) {
    out.append(6 * kDescriptivesCellWidth, '-');
    out += kEol;
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
    std::string out;
    out.reserve((rows.size() + 5) * 62 + 20);
    out += "DESCRIPTIVES";
    out += kEol;
    appendRule(out);
    appendTableLine(out, {"Name", "Mean", "SD", "Min", "Max", "N"});
    appendRule(out);
    std::string lostPrecision;
    for (const DescriptiveRow& row : rows) {
        appendTableLine(out, DescriptiveCellTexts(row));
        if (row.lostSinglePrecision)
            lostPrecision +=
                (lostPrecision.empty() ? "" : ", ") + ("Var " + integerText(row.lngColumn));
    }
    appendRule(out);
    if (!lostPrecision.empty()) {
        out += "Computed in double precision: " + lostPrecision + ".";
        out += kEol;
    }
    out += kEol;
    out += kEol;
    out += kEol;
    return out;
}

}  // namespace velmora
