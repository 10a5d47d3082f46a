#include "data/import_failure.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "data/data_set.h"
#include "runtime/number_text.h"

namespace velmora {

namespace importing {

ImportResult failure(ImportStatus status, std::int32_t row, std::int32_t column) {
    ImportResult r;
    r.status = status;
    r.row = row;
    r.column = column;
    return r;
}

ImportResult failureAt(ImportStatus status, std::int32_t row, std::int32_t column,
                       std::int64_t line) {
    ImportResult r = failure(status, row, column);
    r.line = static_cast<std::int32_t>(
        std::min<std::int64_t>(line, std::numeric_limits<std::int32_t>::max()));
    return r;
}

ImportResult readFailure(const std::string& reason) {
    ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
    r.reason = reason;
    return r;
}

namespace {

constexpr const char* kFileChanged = "The file changed while it was being read";

}  // namespace

ImportResult fileChanged() {
    ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
    r.reason = kFileChanged;
    return r;
}

ImportResult notText(std::string reason) {
    ImportResult r = failure(ImportStatus::NotText, 0, 0);
    r.reason = std::move(reason);
    return r;
}

}  // namespace importing

namespace {

// "Row i" and, where the file's line is another, "(line l of the file)".
std::string rowText(std::int32_t row, std::int32_t line) {
    std::string text = "Row " + integerText(row);
    if (line != 0 && line != row) text += " (line " + integerText(line) + " of the file)";
    return text;
}

}  // namespace

std::string invalidEntryMessage(std::int32_t row, std::int32_t column, std::int32_t line) {
    return rowText(row, line) + " of Column " + integerText(column) +
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
            return invalidEntryMessage(result.row, result.column, result.line);
        case ImportStatus::NumberOutOfRange:
            return rowText(result.row, result.line) + " of Column " + integerText(result.column) +
                   " holds a number beyond the single-precision range.";
        case ImportStatus::NotText:
            return "The data file '" + path + "' is " + result.reason + ".";
        case ImportStatus::TooManyFields:
            return "Line " + integerText(result.line != 0 ? result.line : result.row) +
                   " has more than " + integerText(MAX_VARIABLES) + " fields.";
        case ImportStatus::OutOfMemory:
            return "The data file '" + path + "' is too large to be held in memory.";
    }
    return "The data file could not be imported.";
}

}  // namespace velmora
