#include "data/import_summary.h"

#include <cstddef>
#include <cstdint>

#include "runtime/number_text.h"
#include "runtime/report_text.h"

namespace velmora {

std::string buildImportSummary(const std::string& fileName, const DataSet& data) {
    ReportText out;
    out.line("Opened the " + data.fileKind + ": " + fileName);
    out.line("Number of Cases: " + integerText(data.g_lngNumCases));
    out.line("Number of Variables: " + integerText(data.g_lngNumVariables));
    if (!data.variableNames.empty()) {
        std::string names = "Variable names: ";
        for (std::size_t j = 0; j < data.variableNames.size(); ++j) {
            if (j > 0) names += ", ";
            names +=
                variableLabel(static_cast<std::int32_t>(j) + 1) + " = " + data.variableNames[j];
        }
        out.line(names);
    }
    if (data.rowNames) out.line("Row names: column 1 (not a variable)");
    if (!data.textVariables.empty()) {
        std::string texts = "Text variables (not analysed): ";
        for (std::size_t k = 0; k < data.textVariables.size(); ++k) {
            const std::int32_t j = data.textVariables[k];
            if (k > 0) texts += ", ";
            texts += variableLabel(j);
            if (!data.variableName(j).empty()) texts += " = " + data.variableName(j);
        }
        out.line(texts);
    }
    out.emptyLines(2);
    return out.take();
}

}  // namespace velmora
