#include "data/data_set.h"

#include <algorithm>

#include "runtime/number_text.h"

namespace velmora {

DataMatrix::DataMatrix(std::int32_t numCases) : m_allocated(true), m_numCases(numCases < 0 ? 0 : numCases) {}

const float* DataMatrix::columnData(std::int32_t j) const {
    const std::size_t col = static_cast<std::size_t>(j);
    if (!m_allocated || col >= m_columns.size() || m_columns[col].empty()) return nullptr;
    return m_columns[col].data();
}

float* DataMatrix::column(std::int32_t j, float filler) {
    const std::size_t col = static_cast<std::size_t>(j);
    if (col >= m_columns.size()) m_columns.resize(col + 1);
    if (m_columns[col].empty()) {
        m_columns[col].assign(static_cast<std::size_t>(m_numCases) + 1, filler);
        m_columns[col][0] = 0.0f;
    }
    return m_columns[col].data();
}

std::size_t DataMatrix::storedColumns() const {
    std::size_t n = 0;
    for (const auto& c : m_columns) n += c.empty() ? 0 : 1;
    return n;
}

const std::string& DataSet::variableName(std::int32_t j) const {
    static const std::string kNone;
    return j >= 1 && static_cast<std::size_t>(j) <= variableNames.size()
               ? variableNames[static_cast<std::size_t>(j) - 1]
               : kNone;
}

bool DataSet::isTextVariable(std::int32_t j) const {
    return std::binary_search(textVariables.begin(), textVariables.end(), j);
}

std::string variableLabel(std::int32_t j) {
    return "Var " + integerText(j);
}

std::string namedVariableLabel(std::int32_t j, const std::string& name) {
    return name.empty() ? variableLabel(j) : variableLabel(j) + " (" + name + ")";
}

std::string variableListItem(const DataSet& data, std::int32_t j) {
    const std::string& name = data.variableName(j);
    std::string item = name.empty() ? variableLabel(j) : variableLabel(j) + " " + name;
    if (data.isTextVariable(j)) item += " (text)";
    return item;
}

}  // namespace velmora
