#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/resampling/paired_sample.h"
#include "analysis/resampling/ranked_column.h"
#include "runtime/large_page_allocator.h"

namespace velmora {

// The complete pairs of a run with each column's stable ascending order (the
// pair number at every position, and the value there). Built once per run
// and only read afterwards, so any number of threads may share it.
class RankedPairs {
public:
    explicit RankedPairs(const CompletePairs& pairs);

    std::size_t size() const { return m_values.size(); }

    struct Values {
        float v1;
        float v2;
    };
    const Values* values() const { return m_values.data(); }
    // Column 1 or 2 ranked.
    const RankedColumn<float>& column(int column) const { return m_columns[column - 1]; }
    const std::uint32_t* order1() const { return m_columns[0].order.data(); }
    const std::uint32_t* order2() const { return m_columns[1].order.data(); }
    const float* sorted1() const { return m_columns[0].sorted.data(); }
    const float* sorted2() const { return m_columns[1].sorted.data(); }

private:
    std::vector<Values, LargePageAllocator<Values>> m_values;
    RankedColumn<float> m_columns[2];
};

}  // namespace velmora
