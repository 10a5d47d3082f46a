#pragma once

#include <string>

#include "data/data_set.h"
#include "data/delimited_import.h"
#include "data/file_kind.h"

namespace velmora {

// Reads a statistics package's data file (isStatisticsFile(kind)) into
// `fresh`, an empty data set: each numeric variable becomes a variable with
// its name, its system- and user-defined missing values missing; each string
// variable a text variable, as under a text file's header. `fileKind` names
// the format for the summary. OpenFailed (with the library's reason) when the
// file cannot be read as its kind.
ImportResult importStatisticsFile(const std::string& path, FileKind kind, DataSet& fresh);

}  // namespace velmora
