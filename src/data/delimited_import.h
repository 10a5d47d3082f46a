#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/data_set.h"

namespace velmora {

enum class ImportStatus {
    Completed,         // the data set now holds the file
    NoFileSelected,    // the file name was empty; only the counts were cleared
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
// The counts of `target` are set to 0 first. The file is parsed into a new data
// set that replaces `target` only when the import completes; an import that does
// not complete leaves both counts 0 and the earlier matrix kept, unread.
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

}  // namespace velmora
