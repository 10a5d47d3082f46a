#pragma once

#include <optional>
#include <string>

#include "batch_options.h"
#include "data/data_set.h"

namespace velmora::batch {

// Sets the columns of the variables `options` names by name, from the names
// of `data`: a name must be the name of exactly one variable, a range of
// names must not run backwards. The first fault (a usage error text, as
// ParseOutcome's) otherwise. A list item is first taken as one name, so a
// name may hold "-"; only then as a range of two names or column numbers.
std::optional<std::string> resolveVariableNames(BatchOptions& options, const DataSet& data);

}  // namespace velmora::batch
