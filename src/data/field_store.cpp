#include "data/field_store.h"

#include <limits>
#include <string_view>

#include "runtime/line_reader.h"
#include "runtime/number_scan.h"

namespace velmora::importing {

ImportResult allocateFor(std::size_t lines, DataSet& fresh) {
    if (lines > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
    fresh.g_lngNumCases = static_cast<std::int32_t>(lines);
    fresh.g_sngData = DataMatrix(fresh.g_lngNumCases);
    return {};
}

void FieldStore::addVariable(std::int32_t column) {
    // A cell that no field reaches (the end of a short line, a blank line, the
    // lines before a variable first appears) holds no entry at all, so it is
    // missing rather than a value of 0.
    m_numVariables = column;
    m_columns[static_cast<std::size_t>(column)] = m_data.g_sngData.column(column, MISSING_VALUE);
}

namespace {

// The value of the field at `field` and where it ends, in `value` and
// `fieldEnd`: Completed, or the fault that stops the import.
ImportStatus readField(const char* field, const char* const end, char delimiter, bool scanInPlace,
                       float& value, const char*& fieldEnd) {
    NumberParse kind = NumberParse::NotNumber;
    bool classified = false;
    if (scanInPlace) {
        const detail::DecimalScan scan = detail::scanDecimal(field, end);
        if (isWholeField(scan, end, delimiter)) {
            fieldEnd = scan.stop;
            kind = detail::scannedToSingle(scan, fieldEnd, value);
            classified = true;
        }
    }
    if (!classified) {
        fieldEnd = findFieldEnd(field, end, delimiter);
        const std::string_view text(field, static_cast<std::size_t>(fieldEnd - field));
        kind = textToSingle(text, value);
        if (kind == NumberParse::NotNumber) {
            if (!isMissingField(text)) return ImportStatus::InvalidEntry;
            value = MISSING_VALUE;
            kind = NumberParse::Number;
        }
    }
    return kind == NumberParse::OutOfRange ? ImportStatus::NumberOutOfRange
                                           : ImportStatus::Completed;
}

}  // namespace

ImportResult FieldStore::storeLines(const char* p, const char* const end) {
    while (p != end) {
        if (m_row == m_data.g_lngNumCases) {
            // More lines than were counted: the file changed since it was
            // counted, and the matrix has no room for them.
            return fileChanged();
        }
        const std::int32_t row = ++m_row;
        if (isLineEndChar(*p)) {  // an empty line has no fields
            p = skipLineEnd(p, end);
            continue;
        }
        const char* field = p;
        for (std::int32_t column = 1;; ++column) {
            if (column > MAX_VARIABLES) return failure(ImportStatus::TooManyFields, row, 0);
            if (column > m_numVariables) addVariable(column);
            const char* fieldEnd = nullptr;
            float value = 0.0f;
            const ImportStatus status =
                readField(field, end, m_delimiter, m_scanInPlace, value, fieldEnd);
            if (status != ImportStatus::Completed) return failure(status, row, column);
            m_columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = value;
            if (fieldEnd == end) {
                p = end;
                break;
            }
            if (isLineEndChar(*fieldEnd)) {  // checked first: a line end always ends the line
                p = skipLineEnd(fieldEnd, end);
                break;
            }
            field = fieldEnd + 1;  // a delimiter right before the line end leaves one empty field
        }
    }
    return {};
}

}  // namespace velmora::importing
