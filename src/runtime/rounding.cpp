#include "runtime/rounding.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace velmora {

namespace {

constexpr int MAX_DECIMALS = 30;

// The fixed form of the largest double with the most decimals: sign, 309
// integer digits, point, decimals.
constexpr int MAX_FIXED_LENGTH =
    1 + std::numeric_limits<double>::max_exponent10 + 1 + 1 + MAX_DECIMALS;

// The fixed form of to_chars is the exact binary value rounded to n decimals,
// an exact half to even, as printf's "%.*f"; from_chars reads that decimal
// back as the nearest T in one step. Rounding in binary floating point
// instead would round x * 10^n before the tie is judged.
template <typename T>
T roundFixed(T value, int decimals) {
    if (decimals < 0 || decimals > MAX_DECIMALS) {
        throw std::out_of_range("roundHalfEven: decimals must be between 0 and 30");
    }
    if (!std::isfinite(value) || value == 0) return value;
    char text[MAX_FIXED_LENGTH];
    const char* const end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    T result = 0;
    std::from_chars(text, end, result, std::chars_format::fixed);
    // A value rounding to zero keeps its sign: -0.0004 gives -0.
    return std::copysign(result, value);
}

}  // namespace

float roundHalfEven(float value, int decimals) {
    return roundFixed(value, decimals);
}

double roundHalfEven(double value, int decimals) {
    return roundFixed(value, decimals);
}

}  // namespace velmora
