#pragma once

#include <string>
#include <vector>

#include "data/data_set.h"

namespace velmora::testing {

// An import's data set as the cells of its cases and variables, row by row
// (both counted from 1), for comparing with a grid written out in a test.
using Grid = std::vector<std::vector<float>>;
using Names = std::vector<std::string>;

inline Grid cells(const DataSet& data) {
    Grid grid;
    for (int i = 1; i <= data.g_lngNumCases; ++i) {
        std::vector<float> row;
        for (int j = 1; j <= data.g_lngNumVariables; ++j) row.push_back(data.cell(i, j));
        grid.push_back(row);
    }
    return grid;
}

}  // namespace velmora::testing
