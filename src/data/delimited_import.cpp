#include "data/delimited_import.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "runtime/line_reader.h"
#include "runtime/number_scan.h"
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

// The second pass: every field of every line into `data`, whose counts and
// matrix the first pass has set. Stops at the first fault.
ImportResult storeFields(std::string_view bytes, char delimiter, DataSet& data) {
    // Writable cells of each variable, fetched once when the variable first appears.
    std::array<float*, MAX_VARIABLES + 1> columns{};
    std::int32_t numVariables = 0;
    // Most fields are plain numbers that end at the delimiter: scanning the
    // number in place finds the field's end and its value in one go. Anything
    // else is cut at the delimiter and classified by the general rules.
    const bool scanInPlace = !isNumberChar(delimiter);

    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::int32_t row = 0;
    while (p != end) {
        ++row;
        const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(end - p));
        const char* const lineEnd = cr != nullptr ? static_cast<const char*>(cr) : end;
        const char* next = end;
        if (cr != nullptr) next = (lineEnd + 1 != end && lineEnd[1] == '\n') ? lineEnd + 2 : lineEnd + 1;

        if (lineEnd != p) {  // an empty line has no fields
            const char* field = p;
            std::int32_t column = 0;
            for (;;) {
                ++column;
                if (column > MAX_VARIABLES) return failure(ImportStatus::TooManyFields, row, 0);
                if (column > numVariables) {
                    numVariables = column;
                    columns[static_cast<std::size_t>(column)] = data.g_sngData.column(column);
                }

                const char* fieldEnd = nullptr;
                float value = 0.0f;
                NumberParse kind = NumberParse::NotNumber;
                bool classified = false;
                if (scanInPlace) {
                    const detail::DecimalScan scan = detail::scanDecimal(field, lineEnd);
                    if (scan.complete && (scan.stop == lineEnd || *scan.stop == delimiter)) {
                        fieldEnd = scan.stop;
                        kind = detail::scannedToSingle(scan, fieldEnd, value);
                        classified = true;
                    }
                }
                if (!classified) {
                    const void* d =
                        std::memchr(field, delimiter, static_cast<std::size_t>(lineEnd - field));
                    fieldEnd = d != nullptr ? static_cast<const char*>(d) : lineEnd;
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
                columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = value;

                if (fieldEnd == lineEnd) break;
                field = fieldEnd + 1;  // a delimiter right before the line end leaves one empty field
            }
        }
        p = next;
    }
    data.g_lngNumVariables = numVariables;
    return {};
}

}  // namespace

ImportResult importDelimitedText(std::string_view bytes, char delimiter, DataSet& target) {
    target.g_lngNumCases = 0;
    target.g_lngNumVariables = 0;
    try {
        // First pass: the line count sizes the new matrix before any value is stored.
        const std::size_t lines = countLines(bytes);
        if (lines > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            return failure(ImportStatus::OutOfMemory, 0, 0);
        }
        // The new data set is built aside, so a fault part way leaves no
        // mixture of old counts, new lines and zero rows behind.
        DataSet fresh;
        fresh.g_lngNumCases = static_cast<std::int32_t>(lines);
        fresh.g_sngData = DataMatrix(fresh.g_lngNumCases);
        ImportResult result = storeFields(bytes, delimiter, fresh);
        if (result.status == ImportStatus::Completed) target = std::move(fresh);
        return result;
    } catch (const std::bad_alloc&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    } catch (const std::length_error&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
}

ImportResult importDelimitedFile(const std::string& path, char delimiter, DataSet& target) {
    target.g_lngNumCases = 0;
    target.g_lngNumVariables = 0;
    if (path.empty()) return failure(ImportStatus::NoFileSelected, 0, 0);
    // Both passes read this one copy of the file.
    std::string error;
    const std::optional<std::string> bytes = readFileBytes(path, &error);
    if (!bytes) {
        ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
        r.reason = error;
        return r;
    }
    return importDelimitedText(*bytes, delimiter, target);
}

std::string buildImportSummary(const std::string& fileName, const DataSet& data) {
    std::string block;
    block += "Opened the text file: " + fileName + "\r\n";
    block += "Number of Cases: " + std::to_string(data.g_lngNumCases) + "\r\n";
    block += "Number of Variables: " + std::to_string(data.g_lngNumVariables) + "\r\n";
    block += "\r\n\r\n";
    return block;
}

std::string invalidEntryMessage(std::int32_t row, std::int32_t column) {
    return "Row " + std::to_string(row) + " of Column " + std::to_string(column) +
           " has an invalid entry for analysis.";
}

}  // namespace velmora
