#pragma once

namespace velmora {

// Rounds to `decimals` decimal places; a value exactly halfway (as the exact
// binary value it holds) goes to the even neighbour. The result is the value
// of the chosen precision nearest to the rounded decimal. A value with no
// digits beyond the n-th (large values included), NaN and the infinities come
// back unchanged; a value rounding to zero keeps its sign (-0.0004 gives -0).
// `decimals` must be 0..30, otherwise std::out_of_range is thrown.
float roundHalfEven(float value, int decimals);
double roundHalfEven(double value, int decimals);

}  // namespace velmora
