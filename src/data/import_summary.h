#pragma once

#include <string>

#include "data/data_set.h"

namespace velmora {

// The summary block appended after a complete import: the three lines and two
// empty lines, each ending in CR LF.
std::string buildImportSummary(const std::string& fileName, const DataSet& data);

}  // namespace velmora
