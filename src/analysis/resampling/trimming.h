#pragma once

#include <cstdint>

namespace velmora {

// The 20% trimming every family shares: the values cut from each end of the
// ascending order, and the scale of the robust estimates built on the
// trimmed mean and the Winsorized variance.

// Values trimmed from each end: n * 0.2f (widened to double), truncated.
std::int32_t TrimCount(std::int32_t n);

// sqrt(0.4129) in double; the robust d values are rescaled by it unrounded.
inline constexpr double ROBUST_SCALE = 0.6425729530566938;

}  // namespace velmora
