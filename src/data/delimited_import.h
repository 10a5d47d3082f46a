#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/data_set.h"
#include "data/field_tokenizer.h"

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
    NotText,           // the file is no text (a workbook, an archive, other binary
                       // data); `reason` says what it is and what to do
};

struct ImportResult {
    ImportStatus status = ImportStatus::Completed;
    std::int32_t row = 0;     // 1-based line of the fault, 0 when none
    std::int32_t column = 0;  // 1-based field of the fault, 0 when none
    std::string reason;       // for OpenFailed and NotText
    std::int32_t line = 0;    // the file's line of the fault, 0 when it is `row`
};

// Imports delimited text. `delimiter` is one character, or kWhitespaceDelimiter
// (runs of blanks and tabs); with kSemicolonDelimiter a comma inside a number
// is its decimal mark. Fields may be quoted (field_tokenizer.h). A line 1 of
// names is a header; a header one field shorter than the data lines, or whose
// first field alone is empty, marks column 1 as row names, which are no
// variable; a column of a file with a header whose cells hold texts is a
// text variable, all of its cells missing. (bytes map to characters one to one) into `target`.
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

// "Row i of Column j has an invalid entry for analysis."; with a file's line
// other than 0 and i, "Row i (line l of the file) of Column j ...".
std::string invalidEntryMessage(std::int32_t row, std::int32_t column, std::int32_t line = 0);

// Why an import of the data file `path` did not complete, in the words both
// the window's box and velmora-batch use ("No data file is selected.",
// "Cannot open the data file '<path>': <reason>", the row and column of a
// number beyond the single range, ...); empty for a completed import.
std::string importFailureMessage(const ImportResult& result, const std::string& path);

}  // namespace velmora
