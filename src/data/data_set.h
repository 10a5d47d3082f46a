#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/written_values.h"
#include "runtime/contract.h"

namespace velmora {

// The missing code. As a single it is exactly 9999999.0 (bits 4B18967F).
inline constexpr float MISSING_VALUE = 9999999.0f;
// Highest variable index the matrix can hold.
inline constexpr std::int32_t MAX_VARIABLES = 1000;

// A cell is missing exactly when it equals 9999999.0; every reader uses this test.
inline bool isMissing(float value) { return static_cast<double>(value) == 9999999.0; }

// The value matrix, indexed (case, variable) from 0, with case indexes
// 0..caseCapacity() and variable indexes 0..MAX_VARIABLES. Its logical shape
// is always that wide, but only columns that were written are stored: a
// column never written reads 0 everywhere, exactly as a fully allocated
// zero-filled matrix would. Cells of one variable are adjacent in memory.
class DataMatrix {
public:
    // Not allocated: holds no cell at all.
    DataMatrix() = default;
    // Allocated, every cell 0, case indexes 0..numCases.
    explicit DataMatrix(std::int32_t numCases);

    bool isAllocated() const { return m_allocated; }
    // The highest case index (numCases of the allocation); -1 when not allocated.
    std::int32_t caseCapacity() const { return m_allocated ? m_numCases : -1; }
    // True when (i, j) lies inside the allocated matrix.
    bool contains(std::int32_t i, std::int32_t j) const {
        return m_allocated && i >= 0 && i <= m_numCases && j >= 0 && j <= MAX_VARIABLES;
    }

    // Precondition: contains(i, j).
    float at(std::int32_t i, std::int32_t j) const {
        VELMORA_EXPECTS(contains(i, j));
        const std::size_t col = static_cast<std::size_t>(j);
        return col < m_columns.size() && !m_columns[col].empty()
                   ? m_columns[col][static_cast<std::size_t>(i)]
                   : 0.0f;
    }
    float operator()(std::int32_t i, std::int32_t j) const { return at(i, j); }

    // Precondition: contains(i, j). Stores the column on first write.
    void set(std::int32_t i, std::int32_t j, float value) {
        VELMORA_EXPECTS(contains(i, j));
        column(j)[static_cast<std::size_t>(i)] = value;
    }

    // The cells of variable j for cases 0..caseCapacity(), or nullptr when the
    // column was never stored (all of its cells read 0).
    const float* columnData(std::int32_t j) const;
    // Writable cells of variable j (cases 0..caseCapacity()), stored on demand.
    // A column stored by this call starts with `filler` in cases 1..caseCapacity()
    // and 0 in case 0.
    float* column(std::int32_t j, float filler = 0.0f);

    // Number of columns actually stored (for memory accounting).
    std::size_t storedColumns() const;

private:
    bool m_allocated = false;
    std::int32_t m_numCases = 0;
    std::vector<std::vector<float>> m_columns;  // index j; empty = never written
};

// The one data set in memory. Only the import writes it; everything else reads.
struct DataSet {
    std::int32_t g_lngNumCases = 0;      // lines of the imported file
    std::int32_t g_lngNumVariables = 0;  // widest line, at most MAX_VARIABLES
    DataMatrix g_sngData;
    // The values as written, for the variables whose singles cannot hold them.
    WrittenValues writtenValues;
    // The names a line of names above the data gave, for variables 1, 2, ...
    // in order; empty when the file has no such line. A header shorter than
    // the widest line leaves the variables beyond it without a name.
    std::vector<std::string> variableNames;
    // The variables whose cells held texts (an ID, a group label), ascending:
    // every cell of one is missing, so no analysis takes its values.
    std::vector<std::int32_t> textVariables;
    // Whether the file's first column held row names, which are no variable.
    bool rowNames = false;
    // What the file was, as the summary's first line names it.
    std::string fileKind = "text file";

    // Cell (i, j) for 1 <= i <= g_lngNumCases, 1 <= j <= g_lngNumVariables.
    float cell(std::int32_t i, std::int32_t j) const { return g_sngData.at(i, j); }
    // The name of variable j (from 1), empty when it has none.
    const std::string& variableName(std::int32_t j) const;
    bool isTextVariable(std::int32_t j) const;
};

// "Var j" as every report writes it.
std::string variableLabel(std::int32_t j);
// The label with the variable's name where a report line has room for it:
// "Var 1 (pre)", or "Var 1" alone for a variable without a name.
std::string namedVariableLabel(std::int32_t j, const std::string& name);
// What the variable lists show for variable j: "Var 1 pre" (the label, a
// blank, the name), or the label alone for a variable without a name; a
// text variable adds " (text)".
std::string variableListItem(const DataSet& data, std::int32_t j);

}  // namespace velmora
