#pragma once

#include <cstdint>
#include <string>

namespace velmora {

enum class ImportStatus {
    Completed,         // the data set now holds the file
    NoFileSelected,    // the file name was empty
    OpenFailed,        // the file could not be opened or read, or changed between
                       // its readings (reason in `reason`)
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

// "Row i of Column j has an invalid entry for analysis."; with a file's line
// other than 0 and i, "Row i (line l of the file) of Column j ...".
std::string invalidEntryMessage(std::int32_t row, std::int32_t column, std::int32_t line = 0);

// Why an import of the data file `path` did not complete, in the words both
// the window's box and velmora-batch use ("No data file is selected.",
// "Cannot open the data file '<path>': <reason>", the row and column of a
// number beyond the single range, ...); empty for a completed import.
std::string importFailureMessage(const ImportResult& result, const std::string& path);

namespace importing {

// The results the import's steps hand back when they stop.
ImportResult failure(ImportStatus status, std::int32_t row, std::int32_t column);
// A fault at record `row` that starts on the file's line `line`.
ImportResult failureAt(ImportStatus status, std::int32_t row, std::int32_t column,
                       std::int64_t line);
// The file could not be opened or read, for the system's `reason`.
ImportResult readFailure(const std::string& reason);
// Lines beyond the first count, or fields that no longer read as stored: the
// file was changed by someone else while the import read it.
ImportResult fileChanged();
// The file is no text; `reason` says what it is.
ImportResult notText(std::string reason);

}  // namespace importing

}  // namespace velmora
