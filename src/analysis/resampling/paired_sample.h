#pragma once

#include <cstdint>
#include <vector>

#include "data/data_set.h"

namespace velmora {

// The two chosen variables side by side, one row per case in case order.
// Missing cells keep the missing code; the counts say how many values each
// column and how many complete pairs the rows hold.
struct PairedSample {
    std::vector<float> sngVar1;  // row r - 1 holds case r's value of Var 1
    std::vector<float> sngVar2;  // row r - 1 holds case r's value of Var 2
    std::int32_t n1 = 0;         // rows with Var 1 present
    std::int32_t n2 = 0;         // rows with Var 2 present
    std::int32_t nPairs = 0;     // rows with both present
    // The values as written in the data file, row by row like the singles,
    // for a variable whose values the import kept so; empty otherwise. The
    // singles still tell which cells are missing.
    std::vector<double> dblVar1;
    std::vector<double> dblVar2;

    bool hasWrittenValues() const { return !dblVar1.empty() || !dblVar2.empty(); }
};

// Copies columns lngVar1 and lngVar2 of cases 1..g_lngNumCases and counts
// them, and the values as written of those that have them. Column numbers
// outside the stored matrix read as 0, like any column the import never
// wrote; the data set is not changed.
PairedSample BuildPairedSample(const DataSet& data, std::int32_t lngVar1, std::int32_t lngVar2);

// The non-missing values of one column (1 or 2) in row order: the input of the
// observed pass's group statistics.
std::vector<float> PresentValues(const PairedSample& sample, int column);
// The same values as written, for a column that has them.
std::vector<double> PresentWrittenValues(const PairedSample& sample, int column);

// The complete pairs in case order: the pool the bootstrap draws from.
struct CompletePairs {
    std::vector<float> sngVar1;
    std::vector<float> sngVar2;
};
CompletePairs CollectCompletePairs(const PairedSample& sample);

// The same pairs as written in the data file, for a run whose accurate
// statistics take them: a column without written values gives its singles.
struct WrittenPairs {
    std::vector<double> dblVar1;
    std::vector<double> dblVar2;
};
WrittenPairs CollectWrittenPairs(const PairedSample& sample);

}  // namespace velmora
