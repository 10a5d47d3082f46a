#include "analysis/descriptives/descriptives_analysis.h"

#include <algorithm>

#include "analysis/descriptives/descriptives_report.h"

namespace velmora {

DescriptivesRun RunDescriptivesAnalysis(const DataSet& data, const std::vector<bool>& ticked,
                                        Arithmetic arithmetic) {
    DescriptivesRun run;
    const std::size_t bound = std::min(
        ticked.size(), static_cast<std::size_t>(std::max<std::int32_t>(data.g_lngNumVariables, 0)));
    std::vector<std::int32_t> selection;
    for (std::size_t i = 0; i < bound; ++i)
        if (ticked[i]) selection.push_back(static_cast<std::int32_t>(i) + 1);
    if (selection.empty()) {
        run.status = DescriptivesStatus::NoItems;
        run.message = "At least one item must be selected.";
        return run;
    }

    run.rows.reserve(selection.size());
    for (const std::int32_t column : selection) {
        auto row = ComputeDescriptiveRow(data, column, arithmetic);
        if (!row) {
            // Nothing of a failed run is kept: no partial rows, no report.
            DescriptivesRun fault;
            fault.status = DescriptivesStatus::Fault;
            fault.lngFaultColumn = column;
            return fault;
        }
        run.rows.push_back(*row);
    }
    run.status = DescriptivesStatus::Completed;
    run.report = BuildDescriptivesReport(run.rows);
    return run;
}

}  // namespace velmora
