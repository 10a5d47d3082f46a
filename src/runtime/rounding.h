#pragma once

namespace velmora {

// Rounds to `decimals` decimal places; a value exactly halfway (as the exact
// binary value it holds) goes to the even neighbour. The result is the value
// of the chosen precision nearest to the rounded decimal.
float roundHalfEven(float value, int decimals);
double roundHalfEven(double value, int decimals);

}  // namespace velmora
