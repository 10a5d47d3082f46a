#include "runtime/rounding.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace velmora {

namespace {

__extension__ typedef unsigned __int128 Uint128;

// 5^30 * 2^53 < 2^123, so the scaled significand below always fits in 128 bits.
constexpr int MAX_DECIMALS = 30;

std::string decimalDigits(Uint128 value) {
    if (value == 0) return "0";
    std::string reversed;
    while (value != 0) {
        reversed.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

// Rounds |value| * 10^decimals to an integer, an exact half to even, and
// returns the nearest T to that integer / 10^decimals with the sign of value.
//
// Working in binary floating point would round the product x * 10^n before
// the tie is judged (a double times 10^5 no longer fits even in 64 bits), so
// the product is formed exactly: x = m * 2^e with m a 53-bit integer, hence
// x * 10^n = m * 5^n * 2^(e + n), an integer over a power of two.
template <typename T>
T roundExact(double value, int decimals) {
    if (decimals < 0 || decimals > MAX_DECIMALS) {
        throw std::out_of_range("roundHalfEven: decimals must be between 0 and 30");
    }
    if (!std::isfinite(value) || value == 0.0) return static_cast<T>(value);

    int binaryExponent = 0;
    const double fraction = std::frexp(std::fabs(value), &binaryExponent);  // in [0.5, 1)
    const auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int shift = -(binaryExponent - 53 + decimals);  // x * 10^n = M / 2^shift
    if (shift <= 0) {
        // x * 10^n is already an integer: x has no digits beyond the n-th.
        return static_cast<T>(value);
    }

    Uint128 scaled = significand;
    for (int i = 0; i < decimals; ++i) scaled *= 5;

    Uint128 quotient = 0;
    if (shift <= 127) {
        quotient = scaled >> shift;
        const Uint128 remainder = scaled - (quotient << shift);
        const Uint128 half = Uint128{1} << (shift - 1);
        if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
    } else if (shift == 128) {
        // M < 2^128, so M / 2^128 < 1 and only values above one half round up.
        quotient = scaled > (Uint128{1} << 127) ? 1 : 0;
    }  // shift > 128: below one half, rounds to 0.

    T result = 0;
    if (quotient != 0) {
        // from_chars converts the exact decimal q * 10^-n to the nearest T in
        // one step; dividing in double first and narrowing would round twice.
        const std::string text = decimalDigits(quotient) + "e-" + std::to_string(decimals);
        std::from_chars(text.data(), text.data() + text.size(), result);
    }
    return std::copysign(result, static_cast<T>(value));
}

}  // namespace

float roundHalfEven(float value, int decimals) {
    // Widening to double is exact, so the tie is judged on the float's own value.
    return roundExact<float>(static_cast<double>(value), decimals);
}

double roundHalfEven(double value, int decimals) {
    return roundExact<double>(value, decimals);
}

}  // namespace velmora
