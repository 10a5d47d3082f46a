#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace velmora {

// The values of some variables as written in the data file: for each case
// the nearest double of its field's text. The import keeps them only for a
// variable whose singles cannot hold its values to the accuracy its spread
// asks (singlesLoseAccuracy); every other variable has none and costs
// nothing. They serve the accurate statistics alone: the singles stay what
// everything else reads, and they alone decide which cells are missing.
class WrittenValues {
public:
    // Variable j's values, case k at [k - 1]; empty when j has none.
    std::span<const double> column(std::int32_t j) const;
    bool has(std::int32_t j) const { return !column(j).empty(); }
    // Keeps `values`, one per case, as variable j's (replacing any it had).
    void keep(std::int32_t j, std::vector<double> values);
    // The variables that have written values, ascending.
    std::vector<std::int32_t> variables() const;
    // Bytes the values take: 8 per case of each such variable.
    std::size_t bytes() const;

private:
    std::vector<std::pair<std::int32_t, std::vector<double>>> m_columns;  // ascending j
};

}  // namespace velmora
