#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/arithmetic.h"
#include "data/data_set.h"

namespace velmora {

// One result row of the Descriptives table. A statistic that does not exist
// for the variable's count is empty and prints as ".".
struct DescriptiveRow {
    std::int32_t lngColumn = 0;     // 1-based column; the Name cell is "Var " + lngColumn
    std::string name;               // the header line's name of the column, empty: none
    std::int32_t lngN = 0;          // non-missing values of the column
    std::optional<double> dblMean;  // N >= 1: mean, rounded to 3 decimals (half to even)
    std::optional<double> dblSD;    // N >= 2: sample SD (N - 1), rounded to 3 decimals
    std::optional<float> sngMin;    // N >= 1: smallest value, not rounded
    std::optional<float> sngMax;    // N >= 1: largest value, not rounded
    // Single precision failed for the column (N >= 2): its running sums gave a
    // mean or a variance off from the accurate one by more than a thousandth
    // of the accurate SD or variance. Mean and SD are then the accurate ones.
    bool lostSinglePrecision = false;
};

// The row of column `column` (1..MAX_VARIABLES) over cases 1..g_lngNumCases,
// skipping missing cells.
// Single: sums are kept in single precision, rounded after every addition;
// mean and SD are evaluated in double from those sums. A variance term that
// single-precision rounding has pushed below zero (all values equal) is taken
// as 0, so the SD is 0. Returns nullopt on an arithmetic fault: the running
// sum or sum of squares leaving the single-precision range.
// Double: mean and SD from exact sums (the mean and the variance
// sum((x - mean)^2) / (N - 1) each rounded once to double), never a fault;
// of the values as written in the file when the import kept them (the
// singles cannot hold them), of the singles otherwise.
// Auto: as Single, with the Double mean and SD for a column single precision
// failed for. Either of the last two also runs the test of single precision
// and records its verdict.
std::optional<DescriptiveRow> ComputeDescriptiveRow(const DataSet& data, std::int32_t column,
                                                    Arithmetic arithmetic = Arithmetic::Single);

}  // namespace velmora
