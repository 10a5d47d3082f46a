#include "analysis/resampling/ranked_column.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "analysis/stable_order.h"
#include "runtime/contract.h"

namespace velmora {

template <typename Real>
RankedColumn<Real> RankColumn(std::span<const Real> values) {
    RankedColumn<Real> out;
    out.order = StableAscendingOrder(values);
    out.sorted.resize(values.size());
    for (std::size_t r = 0; r < values.size(); ++r) out.sorted[r] = values[out.order[r]];
    return out;
}

template <typename Real>
ColumnParts<Real> SplitColumn(std::span<const Real> sorted, MantissaPacking packing) {
    using Format = ExactFormat<Real>;
    // The highest binade whose exact sums have a slot.
    constexpr int kHighestBinade = (1 << Format::kExponentBits) - 1 - Format::kBinadeOffset;
    const std::size_t n = sorted.size();
    ColumnParts<Real> out;
    out.mantissas.resize(n);
    std::vector<int> binades(n);
    int zeros = 64;  // the fewest trailing zero bits of a mantissa
    int highest = -kHighestBinade;
    for (std::size_t r = 0; r < n; ++r) {
        VELMORA_EXPECTS(std::isfinite(sorted[r]));
        const ValueParts<Real> p = splitValue(sorted[r]);
        out.mantissas[r] = p.mantissa;
        binades[r] = p.binade;
        if (p.mantissa != 0) {
            zeros = std::min(zeros, std::countr_zero(static_cast<std::uint64_t>(p.mantissa)));
            highest = std::max(highest, p.binade);
        }
    }
    const int shift = zeros == 64 ? 0 : zeros;
    out.narrow = packing == MantissaPacking::Narrowest && Format::kMantissaBits - shift <= 31 &&
                 highest + shift <= kHighestBinade;
    for (std::size_t r = 0; r < n; ++r) {
        if (out.narrow) {
            // Exact: the bits shifted out are zeros.
            out.mantissas[r] /= static_cast<typename Format::Mantissa>(1) << shift;
            binades[r] += shift;
        }
        if (out.runs.empty() || out.runs.back().binade != binades[r])
            out.runs.push_back({static_cast<std::uint32_t>(r), binades[r]});
    }
    out.runs.push_back({static_cast<std::uint32_t>(n), 0});
    return out;
}

template RankedColumn<float> RankColumn(std::span<const float>);
template RankedColumn<double> RankColumn(std::span<const double>);
template ColumnParts<float> SplitColumn(std::span<const float>, MantissaPacking);
template ColumnParts<double> SplitColumn(std::span<const double>, MantissaPacking);

}  // namespace velmora
