#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/descriptives/descriptives.h"
#include "data/data_set.h"

namespace velmora {

// NoItems: nothing is selected; `message` holds the text of the "Analysis
// Error" box. Fault: a row overflowed (lngFaultColumn says which); the dialog
// ends silently, the batch program reports it.
enum class DescriptivesStatus { Completed, NoItems, Fault };

struct DescriptivesRun {
    DescriptivesStatus status = DescriptivesStatus::NoItems;
    std::string message;  // NoItems: "At least one item must be selected."
    std::int32_t lngFaultColumn = 0;
    // Completed: the rows in selection order and the report for them.
    std::vector<DescriptiveRow> rows;
    std::string report;
};

// The Descriptives command after the ticks have been read. `ticked[i]` is the
// tick of list item i, which stands for column i + 1. The selection is every
// ticked item below g_lngNumVariables, in increasing order: the data set's
// count bounds the scan, so ticks left in a list loaded for an earlier data
// set count only as far as the present one reaches; items past the end of
// `ticked` count as not ticked. The desktop program always runs
// Arithmetic::Auto; the batch program lets the user choose.
DescriptivesRun RunDescriptivesAnalysis(const DataSet& data, const std::vector<bool>& ticked,
                                        Arithmetic arithmetic = Arithmetic::Auto);

}  // namespace velmora
