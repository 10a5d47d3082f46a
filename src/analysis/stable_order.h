#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

// The ranks of `values` (doubles or singles) in ascending order: the index
// at each rank, equal values in index order, exactly the permutation
// std::stable_sort with < gives (-0 and +0 equal). Values finite. O(n) (a
// radix sort of order-preserving keys as wide as the values), which ranks a
// column several times as fast as a comparison sort.
std::vector<std::uint32_t> StableAscendingOrder(std::span<const double> values);
std::vector<std::uint32_t> StableAscendingOrder(std::span<const float> values);

}  // namespace velmora
