#pragma once

namespace velmora {

// How a share of L ordered values becomes the count q cut from each end:
// truncated, or rounded to nearest with halves to even.
enum class PositionRule { Truncate, RoundHalfEven };

}  // namespace velmora
