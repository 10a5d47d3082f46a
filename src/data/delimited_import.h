#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/data_set.h"

namespace velmora {

enum class ImportStatus {
    Completed,         // the data set now holds the file
    NoFileSelected,    // the file name was empty
    OpenFailed,        // the file could not be opened or read, or changed between the
                       // two passes (reason in `reason`)
    InvalidEntry,      // field `column` of line `row` is neither a number nor missing
    NumberOutOfRange,  // field `column` of line `row` is a number beyond the single range
    TooManyFields,     // line `row` has more than MAX_VARIABLES fields
    OutOfMemory,       // the new data set could not be held (allocation failed, or
                       // more lines than a 32-bit count holds)
};

struct ImportResult {
    ImportStatus status = ImportStatus::Completed;
    std::int32_t row = 0;     // 1-based line of the fault, 0 when none
    std::int32_t column = 0;  // 1-based field of the fault, 0 when none
    std::string reason;       // for OpenFailed
};

// Imports delimited text (bytes map to characters one to one) into `target`.
// The text is parsed into a new data set that replaces `target` only when the
// import completes; an import that does not complete leaves `target` exactly
// as it was, counts and cells. Cells (1..cases, 1..variables) that no field
// reaches, beyond the last field of a short line and on a blank line, hold
// MISSING_VALUE; a blank line still counts as a case.
ImportResult importDelimitedText(std::string_view bytes, char delimiter, DataSet& target);

// The same for a file named by path; an empty path is NoFileSelected. The file
// is read twice from the start, once to count its lines and once to store the
// fields, in blocks, so only the new matrix has to fit in memory.
ImportResult importDelimitedFile(const std::string& path, char delimiter, DataSet& target);

// The summary block appended after a complete import: the three lines and two
// empty lines, each ending in CR LF.
std::string buildImportSummary(const std::string& fileName, const DataSet& data);

// "Row i of Column j has an invalid entry for analysis."
std::string invalidEntryMessage(std::int32_t row, std::int32_t column);

// Why an import of the data file `path` did not complete, in the words both
// the window's box and velmora-batch use ("No data file is selected.",
// "Cannot open the data file '<path>': <reason>", the row and column of a
// number beyond the single range, ...); empty for a completed import.
std::string importFailureMessage(const ImportResult& result, const std::string& path);

}  // namespace velmora
