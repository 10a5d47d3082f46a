#include "data/delimited_import.h"

#include <array>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "runtime/line_reader.h"
#include "runtime/number_scan.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/text_file.h"
#include "runtime/text_to_single.h"

namespace velmora {

namespace {

// A delimiter the number scanner could take as part of a number ("1.5" cut at
// ".") must not be found by scanning for a number first.
bool isNumberChar(char c) {
    return detail::isAsciiDigit(c) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
}

bool isMissingField(std::string_view field) {
    return field.empty() || field == "." || field == " ";
}

ImportResult failure(ImportStatus status, std::int32_t row, std::int32_t column) {
    ImportResult r;
    r.status = status;
    r.row = row;
    r.column = column;
    return r;
}

// The end of the field starting at p: the first delimiter or line end, or the end.
const char* findFieldEnd(const char* p, const char* end, char delimiter) {
    while (p != end && *p != delimiter && !isLineEndChar(*p)) ++p;
    return p;
}

// The second pass: stores every field of whole lines into a data set whose
// counts and matrix the first pass has set, block after block, and stops at
// the first fault. Lines and fields are found in one walk over the bytes: a
// field ends at the delimiter, and a line end (CR LF, CR or LF) ends the line
// as well.
class FieldStore {
public:
    FieldStore(DataSet& data, char delimiter)
        : m_data(data), m_delimiter(delimiter), m_scanInPlace(!isNumberChar(delimiter)) {}

    // Stores the lines of [p, end), which must end with a line end or with the text.
    ImportResult storeLines(const char* p, const char* end);

    std::int32_t rowsStored() const { return m_row; }
    std::int32_t numVariables() const { return m_numVariables; }

private:
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

ImportResult FieldStore::storeLines(const char* p, const char* const end) {
    const char delimiter = m_delimiter;
    while (p != end) {
        if (m_row == m_data.g_lngNumCases) {
            // More lines than the first pass counted: the file changed between
            // the passes, and the matrix has no room for them.
            ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
            r.reason = "The file changed while it was being read";
            return r;
        }
        const std::int32_t row = ++m_row;
        if (isLineEndChar(*p)) {  // an empty line has no fields
            p = skipLineEnd(p, end);
            continue;
        }
        const char* field = p;
        std::int32_t column = 0;
        for (;;) {
            ++column;
            if (column > MAX_VARIABLES) return failure(ImportStatus::TooManyFields, row, 0);
            if (column > m_numVariables) {
                // A cell that no field reaches (the end of a short line, a
                // blank line, the lines before a variable first appears) holds
                // no entry at all, so it is missing rather than a value of 0.
                m_numVariables = column;
                m_columns[static_cast<std::size_t>(column)] =
                    m_data.g_sngData.column(column, MISSING_VALUE);
            }

            const char* fieldEnd = nullptr;
            float value = 0.0f;
            NumberParse kind = NumberParse::NotNumber;
            bool classified = false;
            if (m_scanInPlace) {
                const detail::DecimalScan scan = detail::scanDecimal(field, end);
                if (scan.complete &&
                    (scan.stop == end || *scan.stop == delimiter || isLineEndChar(*scan.stop))) {
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
                    if (!isMissingField(text)) {
                        return failure(ImportStatus::InvalidEntry, row, column);
                    }
                    value = MISSING_VALUE;
                    kind = NumberParse::Number;
                }
            }
            if (kind == NumberParse::OutOfRange) {
                return failure(ImportStatus::NumberOutOfRange, row, column);
            }
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

// The new data set with its counts and an empty matrix for `lines` cases, or
// OutOfMemory when the count cannot be held.
ImportResult allocateFor(std::size_t lines, DataSet& fresh) {
    if (lines > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
    fresh.g_lngNumCases = static_cast<std::int32_t>(lines);
    fresh.g_sngData = DataMatrix(fresh.g_lngNumCases);
    return {};
}

ImportResult readFailure(const std::string& reason) {
    ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
    r.reason = reason;
    return r;
}

// Both passes over the file, each reading it from the start in blocks of whole
// lines, so that only the matrix, never the whole file, has to fit in memory.
ImportResult importFromFile(const std::string& path, char delimiter, DataSet& fresh) {
    std::string error;
    LineBlockInput input;
    std::string_view block;

    // First pass: count the lines.
    if (!input.open(path, &error)) return readFailure(error);
    std::size_t lines = 0;
    while (input.nextBlock(block)) lines += countLines(block);
    if (input.failed()) return readFailure(input.error());
    input.close();

    ImportResult result = allocateFor(lines, fresh);
    if (result.status != ImportStatus::Completed) return result;

    // Second pass: store the fields.
    if (!input.open(path, &error)) return readFailure(error);
    FieldStore store(fresh, delimiter);
    while (input.nextBlock(block)) {
        result = store.storeLines(block.data(), block.data() + block.size());
        if (result.status != ImportStatus::Completed) return result;
    }
    if (input.failed()) return readFailure(input.error());
    if (store.rowsStored() != fresh.g_lngNumCases) {
        return readFailure("The file changed while it was being read");
    }
    fresh.g_lngNumVariables = store.numVariables();
    return {};
}

// The new data set is always built aside and replaces `target` only once it is
// complete: an import that does not complete leaves the earlier data set as it
// was, counts and cells, still loaded and usable.
template <class Build>
ImportResult buildAndInstall(DataSet& target, Build&& build) {
    try {
        DataSet fresh;
        ImportResult result = build(fresh);
        if (result.status == ImportStatus::Completed) target = std::move(fresh);
        return result;
    } catch (const std::bad_alloc&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    } catch (const std::length_error&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
}

}  // namespace

ImportResult importDelimitedText(std::string_view bytes, char delimiter, DataSet& target) {
    return buildAndInstall(target, [&](DataSet& fresh) {
        // First pass: the line count sizes the matrix before any value is stored.
        ImportResult result = allocateFor(countLines(bytes), fresh);
        if (result.status != ImportStatus::Completed) return result;
        FieldStore store(fresh, delimiter);
        result = store.storeLines(bytes.data(), bytes.data() + bytes.size());
        if (result.status == ImportStatus::Completed)
            fresh.g_lngNumVariables = store.numVariables();
        return result;
    });
}

ImportResult importDelimitedFile(const std::string& path, char delimiter, DataSet& target) {
    if (path.empty()) return failure(ImportStatus::NoFileSelected, 0, 0);
    return buildAndInstall(target,
                           [&](DataSet& fresh) { return importFromFile(path, delimiter, fresh); });
}

std::string buildImportSummary(const std::string& fileName, const DataSet& data) {
    ReportText out;
    out.line("Opened the text file: " + fileName);
    out.line("Number of Cases: " + integerText(data.g_lngNumCases));
    out.line("Number of Variables: " + integerText(data.g_lngNumVariables));
    out.emptyLines(2);
    return out.take();
}

std::string invalidEntryMessage(std::int32_t row, std::int32_t column) {
    return "Row " + std::to_string(row) + " of Column " + std::to_string(column) +
           " has an invalid entry for analysis.";
}

std::string importFailureMessage(const ImportResult& result, const std::string& path) {
    switch (result.status) {
        case ImportStatus::Completed:
            return {};
        case ImportStatus::NoFileSelected:
            return "No data file is selected.";
        case ImportStatus::OpenFailed:
            return "Cannot open the data file '" + path +
                   "': " + (result.reason.empty() ? "unknown error" : result.reason);
        case ImportStatus::InvalidEntry:
            return invalidEntryMessage(result.row, result.column);
        case ImportStatus::NumberOutOfRange:
            return "Row " + integerText(result.row) + " of Column " + integerText(result.column) +
                   " holds a number beyond the single-precision range.";
        case ImportStatus::TooManyFields:
            return "Line " + integerText(result.row) + " has more than " +
                   integerText(MAX_VARIABLES) + " fields.";
        case ImportStatus::OutOfMemory:
            return "The data file '" + path + "' is too large to be held in memory.";
    }
    return "The data file could not be imported.";
}

}  // namespace velmora
