#pragma once

namespace velmora {

// A single-precision running sum: each term is added in double and the total
// rounded back to single after every addition, so the result depends on the
// order of the terms exactly as the reported figures do. A total beyond the
// single range becomes an infinity, which callers treat as an overflow.
inline float addToSingleSum(float sum, double term) {
    return static_cast<float>(static_cast<double>(sum) + term);
}
// x squared in double (exact for a single) added into the running sum.
inline float addSquareToSingleSum(float sum, float x) {
    return addToSingleSum(sum, static_cast<double>(x) * static_cast<double>(x));
}

}  // namespace velmora
