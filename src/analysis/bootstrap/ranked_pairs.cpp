#include "analysis/bootstrap/ranked_pairs.h"

namespace velmora {

RankedPairs::RankedPairs(const CompletePairs& pairs) {
    const std::size_t n = pairs.sngVar1.size();
    m_values.resize(n);
    for (std::size_t k = 0; k < n; ++k) m_values[k] = {pairs.sngVar1[k], pairs.sngVar2[k]};
    m_columns[0] = RankColumn<float>(pairs.sngVar1);
    m_columns[1] = RankColumn<float>(pairs.sngVar2);
}

}  // namespace velmora
