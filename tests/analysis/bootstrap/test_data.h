#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/resampling/paired_sample.h"
#include "data/data_set.h"

namespace velmora::testing {

inline constexpr float M = 9999999.0f;  // the missing code, short for tables

// A data set whose columns are given as lists of equal length (cases 1..N).
inline DataSet makeDataSet(const std::vector<std::vector<float>>& columns) {
    DataSet data;
    const auto cases =
        columns.empty() ? std::int32_t{0} : static_cast<std::int32_t>(columns.front().size());
    data.g_lngNumCases = cases;
    data.g_lngNumVariables = static_cast<std::int32_t>(columns.size());
    data.g_sngData = DataMatrix(cases);
    for (std::size_t j = 0; j < columns.size(); ++j)
        for (std::size_t i = 0; i < columns[j].size(); ++i)
            data.g_sngData.set(static_cast<std::int32_t>(i + 1), static_cast<std::int32_t>(j + 1),
                               columns[j][i]);
    return data;
}

// Variables 1 and 2 of a data set of the two columns, paired.
inline PairedSample sampleOf(const std::vector<float>& var1, const std::vector<float>& var2) {
    return BuildPairedSample(makeDataSet({var1, var2}), 1, 2);
}

// Variables 1 and 2 of a data set whose cells are the nearest singles of the
// values given (M stays the missing code); a column marked written keeps the
// values themselves as its values as written, as the import does for values
// its singles cannot hold.
inline PairedSample writtenSampleOf(const std::vector<double>& var1, bool written1,
                                    const std::vector<double>& var2, bool written2) {
    const auto singles = [](const std::vector<double>& values) {
        return std::vector<float>(values.begin(), values.end());
    };
    DataSet data = makeDataSet({singles(var1), singles(var2)});
    if (written1) data.writtenValues.keep(1, var1);
    if (written2) data.writtenValues.keep(2, var2);
    return BuildPairedSample(data, 1, 2);
}

// The choices of a run on columns 1 and 2.
inline AnalysisOptions optionsFor(std::int32_t trials, float level = 0.95f,
                                  std::int32_t sdVar = 1) {
    AnalysisOptions options;
    options.lngVar1 = 1;
    options.lngVar2 = 2;
    options.lngTrials = trials;
    options.sngConfidenceLevel = level;
    options.lngNonpooledSdVar = sdVar;
    return options;
}

}  // namespace velmora::testing
