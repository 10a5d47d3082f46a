#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/descriptives/descriptives.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "batch_options.h"
#include "data/data_set.h"

namespace velmora::batch {

// What one finished run computed, for its JSON document.
struct RunFigures {
    const BatchOptions* options = nullptr;  // with the variables' columns resolved
    const DataSet* data = nullptr;
    // The Descriptives rows, or null when none were asked for.
    const std::vector<DescriptiveRow>* descriptives = nullptr;
    // The effect-size run (completed), or null when none was asked for.
    const AnalysisRun* effectSize = nullptr;
    std::uint64_t seed = 0;
};

// Every figure of the run as one JSON document (the names are listed in
// README): the values themselves, not the report's rounded texts, and null
// where the report prints 9999999, n/c or n/a. A double is written as the
// shortest text that reads back as it in all but rare cases (Grisu2), and
// always as one that does; a single as the shortest decimal that reads back
// as that single, so that a reader taking it as a double gets the double
// nearest that decimal (52.882, not 52.88199996948242). Lines end in CR LF.
std::string buildRunJson(const RunFigures& figures);

}  // namespace velmora::batch
