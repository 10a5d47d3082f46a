#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "data/data_set.h"
#include "data/import_failure.h"
#include "data/plain_field_scan.h"
#include "runtime/text_to_single.h"

namespace velmora::importing {

// The new data set with its counts and an empty matrix for `lines` cases, or
// OutOfMemory when the count cannot be held.
ImportResult allocateFor(std::size_t lines, DataSet& fresh);

// The reading that stores: every field of whole lines goes into a data set
// whose counts and matrix the line count has set, block after block, and it
// stops at the first fault. Lines and fields are found in one walk over the
// bytes: a field ends at the delimiter, and a line end (CR LF, CR or LF) ends
// the line as well.
class FieldStore {
public:
    FieldStore(DataSet& data, char delimiter)
        : m_data(data), m_delimiter(delimiter), m_scanInPlace(!isNumberChar(delimiter)) {}

    // Stores the lines of [p, end), which must end with a line end or with the text.
    ImportResult storeLines(const char* p, const char* end);

    std::int32_t rowsStored() const { return m_row; }
    std::int32_t numVariables() const { return m_numVariables; }

private:
    // Variable `column` appears for the first time.
    void addVariable(std::int32_t column);

    DataSet& m_data;
    const char m_delimiter;
    // Most fields are plain numbers that end at the delimiter: scanning the
    // number in place finds the field's end and its value in one go. Anything
    // else is cut at the delimiter and classified by the general rules.
    const bool m_scanInPlace;
    // Writable cells of each variable, fetched once when the variable first appears.
    std::array<float*, MAX_VARIABLES + 1> m_columns{};
    std::int32_t m_numVariables = 0;
    std::int32_t m_row = 0;
};

}  // namespace velmora::importing
