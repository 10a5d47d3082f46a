#include "data/written_value_reread.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>

#include "data/plain_field_scan.h"
#include "runtime/line_reader.h"
#include "runtime/number_scan.h"
#include "runtime/text_to_single.h"

namespace velmora::importing {

std::vector<Reread> variablesToReread(const DataSet& data) {
    std::vector<Reread> out;
    for (std::int32_t j = 1; j <= data.g_lngNumVariables; ++j)
        if (const std::optional<SingleStorage> storage = storageToCheck(data, j))
            out.push_back({j, *storage});
    return out;
}

void keepNeededWrittenValues(DataSet& data, const std::vector<Reread>& variables,
                             std::vector<std::vector<double>>& columns) {
    for (std::size_t c = 0; c < variables.size(); ++c) {
        const float* singles = data.g_sngData.columnData(variables[c].variable);
        std::vector<double>& column = columns[c];
        double largest = 0.0;
        for (std::size_t k = 0; k < column.size(); ++k)
            if (!isMissing(singles[k + 1]))
                largest = std::max(largest, std::fabs(column[k] - singles[k + 1]));
        if (singlesLoseAccuracy(variables[c].storage, largest))
            data.writtenValues.keep(variables[c].variable, std::move(column));
    }
}

WrittenValueReader::WrittenValueReader(const DataSet& data, char delimiter,
                                       std::vector<Reread> variables)
    : m_data(data),
      m_delimiter(delimiter),
      m_scanInPlace(!isNumberChar(delimiter)),
      m_variables(std::move(variables)) {
    const auto cases = static_cast<std::size_t>(data.g_lngNumCases);
    m_columns.reserve(m_variables.size());
    for (const Reread& r : m_variables) {
        const float* singles = data.g_sngData.columnData(r.variable);
        std::vector<double>& column = m_columns.emplace_back(singles + 1, singles + 1 + cases);
        m_written[static_cast<std::size_t>(r.variable)] = column.data();
        m_singles[static_cast<std::size_t>(r.variable)] = singles;
        m_last = r.variable;
    }
}

ImportResult WrittenValueReader::readLines(const char* p, const char* const end) {
    while (p != end) {
        if (m_row == m_data.g_lngNumCases) return fileChanged();
        const std::int32_t row = ++m_row;
        if (isLineEndChar(*p)) {
            p = skipLineEnd(p, end);
            continue;
        }
        const char* field = p;
        for (std::int32_t column = 1;; ++column) {
            const auto at = static_cast<std::size_t>(column);
            const char* fieldEnd = m_written[at] == nullptr ? findFieldEnd(field, end, m_delimiter)
                                                            : reread(field, end, m_singles[at][row],
                                                                     m_written[at][row - 1]);
            if (fieldEnd == nullptr) return fileChanged();
            if (column == m_last) fieldEnd = findLineEndChar(fieldEnd, end);  // read no more
            if (fieldEnd == end) {
                p = end;
                break;
            }
            if (isLineEndChar(*fieldEnd)) {
                p = skipLineEnd(fieldEnd, end);
                break;
            }
            field = fieldEnd + 1;
        }
    }
    return {};
}

const char* WrittenValueReader::reread(const char* p, const char* end, float stored,
                                       double& written) const {
    float single = 0.0f;
    if (m_scanInPlace) {
        const detail::DecimalScan scan = detail::scanDecimal(p, end);
        if (isWholeField(scan, end, m_delimiter)) {
            if (detail::scannedToSingle(scan, scan.stop, single) != NumberParse::Number ||
                single != stored)
                return nullptr;
            detail::scannedToDouble(scan, scan.stop, written);
            return scan.stop;
        }
    }
    const char* fieldEnd = findFieldEnd(p, end, m_delimiter);
    const std::string_view text(p, static_cast<std::size_t>(fieldEnd - p));
    double value = 0.0;
    const NumberParse kind = textToSingleAndDouble(text, single, value);
    if (kind == NumberParse::Number && single == stored) {
        written = value;
        return fieldEnd;
    }
    const bool missing =
        kind == NumberParse::NotNumber && isMissingField(text) && isMissing(stored);
    return missing ? fieldEnd : nullptr;
}

}  // namespace velmora::importing
