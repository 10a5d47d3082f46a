#pragma once

// An independent reference for the exact arithmetic of the accurate
// statistics: whole numbers in GMP, and MPFR's correctly rounded division,
// brought into the single or double range with IEEE gradual underflow. It
// shares nothing with the exact integers or the quotient rounding but the types it
// reads them from.

#include <gmpxx.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "analysis/exact_integer.h"

namespace velmora::oracle {

inline mpz_class fromUint128(Uint128 value) {
    mpz_class high(static_cast<unsigned long>(value >> 64));
    mpz_class low(static_cast<unsigned long>(value));
    return (high << 64) + low;
}

// The low 128 bits of a non-negative z.
inline Uint128 low128(const mpz_class& z) {
    const mpz_class low = z & ((mpz_class(1) << 64) - 1);
    const mpz_class high = (z >> 64) & ((mpz_class(1) << 64) - 1);
    return (Uint128{high.get_ui()} << 64) | low.get_ui();
}

// The value of an exact integer of either width, read 128 bits at a time.
template <int Limbs>
mpz_class valueOf(const BasicExactInteger<Limbs>& e) {
    mpz_class z;
    for (int from = 64 * Limbs - 128; from >= 0; from -= 128) {
        bool lower = false;
        z = (z << 128) + fromUint128(e.bitsFrom(from, lower));
    }
    return z;
}

template <int Limbs>
mpz_class valueOf(const BasicSignedExact<Limbs>& e) {
    const mpz_class magnitude = valueOf(e.magnitude);
    return e.negative ? mpz_class(-magnitude) : magnitude;
}

// 2^(150 - base) x for a finite single or double, from its value (frexp's
// fraction times 2^53 is a whole number) rather than from its bits; nullopt
// when that is no whole number (base above x's binade).
inline std::optional<mpz_class> scaledExactly(double x, int base) {
    if (x == 0) return mpz_class(0);
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    mpz_class magnitude(std::ldexp(fraction, 53));
    const long shift = long{exponent} - 53 + 150 - base;
    if (shift >= 0) {
        magnitude <<= static_cast<unsigned long>(shift);
    } else {
        const auto right = static_cast<unsigned long>(-shift);
        if (mpz_scan1(magnitude.get_mpz_t(), 0) < right) return std::nullopt;
        magnitude >>= right;
    }
    return x < 0 ? mpz_class(-magnitude) : magnitude;
}

// numerator / denominator * 2^exponent (denominator > 0) rounded once to the
// nearest T, ties to even, with gradual underflow and overflow to infinity.
template <typename T>
T roundedQuotient(const mpz_class& numerator, const mpz_class& denominator, long exponent) {
    using Limits = std::numeric_limits<T>;
    mpfr_t exact;
    mpfr_t rounded;
    mpfr_init2(exact, std::max<mpfr_prec_t>(2, mpz_sizeinbase(numerator.get_mpz_t(), 2)));
    mpfr_init2(rounded, Limits::digits);
    mpfr_set_z(exact, numerator.get_mpz_t(), MPFR_RNDN);  // exact at that precision
    mpfr_mul_2si(exact, exact, exponent, MPFR_RNDN);      // exact in MPFR's own range
    int ternary = mpfr_div_z(rounded, exact, denominator.get_mpz_t(), MPFR_RNDN);
    const mpfr_exp_t emin = mpfr_get_emin();
    const mpfr_exp_t emax = mpfr_get_emax();
    // MPFR's exponents count from a mantissa in [1/2, 1): the smallest
    // subnormal of T is 2^(min_exponent - digits), its largest value below 2^max_exponent.
    mpfr_set_emin(Limits::min_exponent - Limits::digits + 1);
    mpfr_set_emax(Limits::max_exponent);
    ternary = mpfr_check_range(rounded, ternary, MPFR_RNDN);
    mpfr_subnormalize(rounded, ternary, MPFR_RNDN);
    T result;
    if constexpr (sizeof(T) == sizeof(float)) {
        result = mpfr_get_flt(rounded, MPFR_RNDN);
    } else {
        result = mpfr_get_d(rounded, MPFR_RNDN);
    }
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
    mpfr_clear(exact);
    mpfr_clear(rounded);
    return result;
}

}  // namespace velmora::oracle
