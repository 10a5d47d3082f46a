#pragma once

#include <string>
#include <string_view>

namespace velmora {

// What a data file is, told from its first bytes rather than its name.
enum class FileKind {
    Text,          // anything not below: read as delimited text
    SpssData,      // SPSS .sav, or .zsav (compressed)
    SpssPortable,  // SPSS .por
    StataData,     // Stata .dta
    SasData,       // SAS .sas7bdat
    SasTransport,  // SAS .xpt (transport format 5 or 8)
    Workbook,      // a spreadsheet (.xlsx, .ods, .xls)
    Archive,       // another zip or compressed archive
    Binary,        // other data that is no text
};

// How many leading bytes fileKindOf needs to tell every kind.
inline constexpr std::size_t kFileKindHeadBytes = 4096;

// The kind of a file whose first bytes are `head` (up to kFileKindHeadBytes).
FileKind fileKindOf(std::string_view head);

// Whether the kind is one of the statistics packages' data files.
bool isStatisticsFile(FileKind kind);

// What the import's summary calls a file of the kind: "text file", "SPSS data file", ...
std::string fileKindName(FileKind kind);

// For a kind that is no text and no statistics file: what it is and what to
// do, after "FILE is " ("a spreadsheet workbook, not a text file: save the
// sheet as CSV"); empty for every other kind.
std::string notTextReason(FileKind kind);

}  // namespace velmora
