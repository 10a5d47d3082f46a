#pragma once

#include <string>
#include <string_view>

#include "data/data_set.h"
#include "data/import_failure.h"

// Which rules read a text and how often: the plain field scan over lines
// counted first, or the general rules when the text needs them. Each builds
// into `fresh`, an empty data set, and stops at the first fault.
namespace velmora::importing {

// A regular file, read from the start for each of its readings in blocks of
// whole lines, so that only the matrix, never the whole file, has to fit in
// memory: one reading counts the lines, one stores the fields and, only for a
// variable whose singles may not hold its values, one more takes them again
// as written. A file the general rules serve is read into memory whole.
ImportResult importFromFile(const std::string& path, char delimiter, DataSet& fresh);

// Text held in memory: a data file read once (standard input, a pipe), or
// bytes handed over directly.
ImportResult importFromText(std::string_view bytes, char delimiter, DataSet& fresh);

}  // namespace velmora::importing
