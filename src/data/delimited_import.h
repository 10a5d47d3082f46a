#pragma once

#include <string>
#include <string_view>

#include "data/data_set.h"
#include "data/field_tokenizer.h"
#include "data/import_failure.h"
#include "data/import_summary.h"

namespace velmora {

// Imports delimited text. `delimiter` is one character, or kWhitespaceDelimiter
// (runs of blanks and tabs); with kSemicolonDelimiter a comma inside a number
// is its decimal mark. Fields may be quoted (field_tokenizer.h). A line 1 of
// names is a header; a header one field shorter than the data lines, or whose
// first field alone is empty, marks column 1 as row names, which are no
// variable; a column of a file with a header whose cells hold texts is a
// text variable, all of its cells missing. Bytes map to characters one to one.
// The text is parsed into a new data set that replaces `target` only when the
// import completes; an import that does not complete leaves `target` exactly
// as it was, counts and cells. Cells (1..cases, 1..variables) that no field
// reaches, beyond the last field of a short line and on a blank line, hold
// MISSING_VALUE; a blank line still counts as a case.
ImportResult importDelimitedText(std::string_view bytes, char delimiter, DataSet& target);

// The same for a file named by path; an empty path is NoFileSelected. A
// statistics package's file is told by its first bytes and read by its own
// rules. A regular file is read from the start in blocks of whole lines, once
// to count its lines and once to store the fields, so only the new matrix has
// to fit in memory; a third time, for the few variables whose singles may not
// hold their values, to keep those as written. A file the plain field scan
// does not serve (quoted fields, row names, text columns, the whitespace and
// semicolon delimiters) is then read into memory whole and imported by the
// general rules; whatever is no regular file (a pipe, a FIFO) is read into
// memory whole, once.
ImportResult importDelimitedFile(const std::string& path, char delimiter, DataSet& target);

}  // namespace velmora
