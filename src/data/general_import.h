#pragma once

#include <string_view>

#include "data/data_set.h"
#include "data/import_failure.h"

namespace velmora::importing {

// The import by the general rules, for text held in memory: quoted fields,
// the delimiters that the plain field scan does not serve, row names and
// text variables. It reads the records twice (a third time when a variable
// needs its values as written), as the plain import reads the lines.
// `fresh` is an empty data set.
ImportResult importGeneral(std::string_view bytes, char delimiter, DataSet& fresh);

}  // namespace velmora::importing
