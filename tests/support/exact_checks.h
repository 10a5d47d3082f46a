#pragma once

// Checks of the exact arithmetic behind the accurate statistics against the
// GMP and MPFR reference, on inputs drawn where such code goes wrong: carries
// and borrows across long runs of bits, quotients at a rounding tie of a
// single or a double (both directions, sticky bits far below), subnormal
// results, the edge of the range, and sums of many singles or doubles of
// mixed binades. The integers are checked in both widths, the 640 bits of
// the sums of singles and the 2560 of the sums of doubles. The test draws the
// inputs at random, the fuzz target from its bytes.

#include <gmpxx.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "analysis/exact_integer.h"
#include "analysis/exact_sums.h"
#include "support/exact_oracle.h"

namespace velmora::oracle {

// Where a check takes its inputs from.
class Draws {
public:
    virtual ~Draws() = default;
    virtual std::uint64_t bits() = 0;
    std::uint64_t below(std::uint64_t n) { return bits() % n; }
    bool oneIn(std::uint64_t n) { return below(n) == 0; }

    // 64 bits with a pattern: all clear, all set, one bit, a run of set bits
    // from either end, or any.
    std::uint64_t limb() {
        const std::uint64_t any = bits();
        switch (below(8)) {
            case 0:
                return 0;
            case 1:
                return ~std::uint64_t{0};
            case 2:
                return std::uint64_t{1} << (any % 64);
            case 3:
                return ~std::uint64_t{0} >> (any % 64);
            case 4:
                return ~std::uint64_t{0} << (any % 64);
            default:
                return any;
        }
    }
    // A number of up to `maxBits` bits made of such limbs.
    mpz_class number(int maxBits) {
        const auto length = static_cast<int>(below(static_cast<std::uint64_t>(maxBits) + 1));
        mpz_class z;
        for (int done = 0; done < length; done += 64)
            z = (z << 64) + static_cast<unsigned long>(limb());
        return z >> static_cast<unsigned long>((64 - length % 64) % 64);
    }
};

using Mismatch = std::optional<std::string>;

inline std::string hexText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

inline int bitLength(const mpz_class& z) {
    return z == 0 ? 0 : static_cast<int>(mpz_sizeinbase(z.get_mpz_t(), 2));
}

// An exact integer holding z (0 <= z < 2^(64 Limbs)), built from its 128-bit pieces.
template <int Limbs>
BasicExactInteger<Limbs> exactFrom(const mpz_class& z) {
    BasicExactInteger<Limbs> e;
    for (int shift = 0; shift < 64 * Limbs; shift += 128) e.addShifted(low128(z >> shift), shift);
    return e;
}

template <int Limbs>
Mismatch differsFrom(const BasicExactInteger<Limbs>& e, const mpz_class& z, int from,
                     const char* after) {
    const std::string what = std::string(after) + " giving " + z.get_str(16);
    if (valueOf(e) != z) return what + ": the value is " + valueOf(e).get_str(16);
    if (e.bitLength() != bitLength(z)) return what + ": bitLength";
    if (e.isZero() != (z == 0)) return what + ": isZero";
    bool lower = false;
    const Uint128 bits = e.bitsFrom(from, lower);
    if (bits != low128(z >> from) || lower != ((z & ((mpz_class(1) << from) - 1)) != 0))
        return what + ": bitsFrom " + std::to_string(from);
    return std::nullopt;
}

// One operation on e, which holds z, chosen by `draws` and kept within the
// 64 Limbs bits; then every reading of the result and a comparison.
template <int Limbs>
Mismatch checkIntegerStep(BasicExactInteger<Limbs>& e, mpz_class& z, Draws& draws) {
    constexpr int kExactBits = 64 * Limbs;
    const mpz_class other = draws.number(kExactBits - 1);
    const BasicExactInteger<Limbs> otherExact = exactFrom<Limbs>(other);
    const int from = static_cast<int>(draws.below(kExactBits + 1));
    Mismatch mismatch;
    switch (draws.below(5)) {
        case 0: {
            const Uint128 value = low128(draws.number(128));
            const int shift = static_cast<int>(draws.below(kExactBits - 127));
            const mpz_class sum = z + (fromUint128(value) << shift);
            if (bitLength(sum) > kExactBits) break;
            e.addShifted(value, shift);
            z = sum;
            mismatch = differsFrom(e, z, from, "addShifted");
            break;
        }
        case 1:
            if (bitLength(z + other) > kExactBits) break;
            e.add(otherExact);
            z += other;
            mismatch = differsFrom(e, z, from, "add");
            break;
        case 2: {
            const mpz_class smaller = other % (z + 1);
            e.subtract(exactFrom<Limbs>(smaller));
            z -= smaller;
            mismatch = differsFrom(e, z, from, "subtract");
            break;
        }
        case 3: {
            const std::uint64_t factor = draws.limb();
            const mpz_class product = z * mpz_class(static_cast<unsigned long>(factor));
            if (bitLength(product) <= kExactBits)
                mismatch = differsFrom(e.times(factor), product, from, "times a word");
            break;
        }
        default: {
            const mpz_class factor =
                other >> static_cast<unsigned long>(bitLength(z) / 2 + draws.below(kExactBits / 2));
            const mpz_class product = z * factor;
            if (bitLength(product) <= kExactBits)
                mismatch = differsFrom(e.times(exactFrom<Limbs>(factor)), product, from, "times");
            break;
        }
    }
    if (mismatch) return mismatch;
    const int sign = cmp(z, other);
    if (e.compare(otherExact) != (sign > 0 ? 1 : sign < 0 ? -1 : 0) || e.compare(e) != 0)
        return "compare with " + other.get_str(16);
    return std::nullopt;
}

// A positive finite v as mantissa * 2^exponent, the mantissa a whole number.
inline void splitExactly(double v, mpz_class& mantissa, int& exponent) {
    const double fraction = std::frexp(v, &exponent);
    mantissa = mpz_class(std::ldexp(fraction, 53));
    exponent -= 53;
}

// The midpoint between a positive finite T and the next T up (2^max_exponent
// above the largest, where the overflow begins) as scaled * 2^exponent.
template <typename T>
struct Midpoint {
    mpz_class scaled;
    int exponent = 0;

    explicit Midpoint(T below) {
        const T above = std::nextafter(below, std::numeric_limits<T>::infinity());
        mpz_class low;
        mpz_class high(1);
        int lowExponent = 0;
        int highExponent = std::numeric_limits<T>::max_exponent;
        splitExactly(static_cast<double>(below), low, lowExponent);
        if (!std::isinf(above)) splitExactly(static_cast<double>(above), high, highExponent);
        exponent = std::min(lowExponent, highExponent);
        scaled = mpz_class(low << (lowExponent - exponent)) +
                 mpz_class(high << (highExponent - exponent));
        exponent -= 1;
    }
};

// A positive finite T of any binade, subnormals included, the largest often.
template <typename T>
T positiveFinite(Draws& draws) {
    if (draws.oneIn(8)) return std::numeric_limits<T>::max();
    if (draws.oneIn(8)) return std::numeric_limits<T>::denorm_min();
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    const Bits allButSign = std::numeric_limits<Bits>::max() >> 1;
    const T value = std::bit_cast<T>(static_cast<Bits>(draws.bits() & allButSign));
    return std::isfinite(value) && value != 0 ? value : std::numeric_limits<T>::min();
}

// (-1)^negative numerator / denominator * 2^exponent, the numerator of up to
// 64 Limbs bits, rounded to T by roundedQuotientToSingle or ...ToDouble and
// by MPFR. The quotient is a random one from below the smallest subnormal to
// beyond the range, or the midpoint between two neighbouring Ts, exactly or
// off it by one unit of the numerator (which only the sticky bits see) or by
// a random power of two.
template <typename T, int Limbs>
Mismatch checkQuotient(Draws& draws) {
    using Limits = std::numeric_limits<T>;
    constexpr int kExactBits = 64 * Limbs;
    const bool negative = draws.oneIn(2);
    const auto kind = draws.below(4);
    const std::uint64_t denominator =
        kind == 0 ? std::uint64_t{1} << draws.below(63)
                  : 1 + draws.below(draws.oneIn(2) ? 1000 : (std::uint64_t{1} << 63) - 1);
    const mpz_class scale(static_cast<unsigned long>(denominator));
    mpz_class numerator;
    int exponent = 0;
    if (kind == 3) {
        numerator = draws.number(kExactBits);
        const int lowest = Limits::min_exponent - Limits::digits - 3;
        const int binade =
            lowest + static_cast<int>(draws.below(Limits::max_exponent + 5 - lowest));
        exponent = binade - bitLength(numerator) + 64;
    } else {
        const Midpoint<T> middle(positiveFinite<T>(draws));
        const int stretch = static_cast<int>(
            draws.below(static_cast<std::uint64_t>(kExactBits - 64 - bitLength(middle.scaled))));
        const mpz_class tie = mpz_class(middle.scaled << stretch) * scale;
        mpz_class offset = draws.oneIn(3) ? 0 : 1;
        if (kind == 2)
            offset <<=
                static_cast<unsigned long>(draws.below(static_cast<std::uint64_t>(bitLength(tie))));
        numerator = draws.oneIn(2) ? mpz_class(tie + offset) : mpz_class(tie - offset);
        exponent = middle.exponent - stretch;
    }
    const T expected =
        roundedQuotient<T>(negative ? mpz_class(-numerator) : numerator, scale, exponent);
    T got;
    if constexpr (sizeof(T) == 4) {
        got = roundedQuotientToSingle(exactFrom<Limbs>(numerator), negative, denominator, exponent);
    } else {
        got = roundedQuotientToDouble(exactFrom<Limbs>(numerator), negative, denominator, exponent);
    }
    if (std::memcmp(&got, &expected, sizeof(T)) == 0) return std::nullopt;
    return std::string(negative ? "-" : "") + numerator.get_str(16) + " / " +
           std::to_string(denominator) + " * 2^" + std::to_string(exponent) + ": " + hexText(got) +
           " instead of " + hexText(expected);
}

// A finite single of a kind that sums get wrong: any binade, subnormals,
// the largest values, or one near `centre` with a small spread around it.
inline float drawValue(Draws& draws, float centre) {
    const float sign = draws.oneIn(2) ? 1.0f : -1.0f;
    switch (draws.below(6)) {
        case 0:
            return sign * std::bit_cast<float>(static_cast<std::uint32_t>(draws.bits() & 0x7FFFFF));
        case 1:
            return sign * (draws.oneIn(2)
                               ? std::numeric_limits<float>::max()
                               : std::nextafter(std::numeric_limits<float>::max(), 0.0f));
        case 2:
        case 3:
            return centre + static_cast<float>(draws.below(2001)) / 1000.0f - 1.0f;
        default:
            return sign * positiveFinite<float>(draws);
    }
}

// The same for a double as a data file can hold it (below 2^128 in
// magnitude), and also zeros and tenths near a power of ten, which singles
// cannot hold.
inline double drawValue(Draws& draws, double centre) {
    const double sign = draws.oneIn(2) ? 1.0 : -1.0;
    switch (draws.below(8)) {
        case 0:
            return sign * std::bit_cast<double>(draws.bits() & 0xFFFFFFFFFFFFFu);
        case 1:
            return sign * (draws.oneIn(2) ? std::nextafter(0x1p128, 0.0)
                                          : double{std::numeric_limits<float>::max()});
        case 2:
        case 3:
            return centre + static_cast<double>(draws.below(2001)) / 1000.0 - 1.0;
        case 4:
            return sign * (std::pow(10.0, static_cast<double>(draws.below(8))) +
                           static_cast<double>(draws.below(10)) / 10.0);
        case 5:
            return sign * 0.0;
        default: {
            // A mantissa in [1/2, 1) times a power of two from the subnormals up.
            const double fraction = std::ldexp(
                static_cast<double>((draws.bits() >> 11) | (std::uint64_t{1} << 52)), -53);
            return sign * std::ldexp(fraction, -1073 + static_cast<int>(draws.below(1202)));
        }
    }
}

// The binade numbering of the exact sums: a single's binade is its biased
// exponent, a double's its biased exponent less 925; zeros and subnormals
// share the lowest one, that of the smallest normals.
template <typename T>
constexpr int kBinadeOffset = std::is_same_v<T, float> ? 0 : 925;
template <typename T>
constexpr int kLowestBinade = 1 - kBinadeOffset<T>;

// The binade splitValue gives x, from its magnitude.
template <typename T>
int binadeOf(T x) {
    int e = 0;
    std::frexp(x, &e);  // |x| in [2^(e-1), 2^e): biased exponent e - 1 + (max_exponent - 1)
    return std::fabs(x) < std::numeric_limits<T>::min()
               ? kLowestBinade<T>
               : e + std::numeric_limits<T>::max_exponent - 2 - kBinadeOffset<T>;
}

// `sums` cleared and given 2 to 41 values, each up to 2^25 times (at most
// 2^31 - 1 values in all); its sums in units of the lowest binade or a lower
// one, each value scaled alone, and the mean and variance from the sums
// rounded to single and to double, against the values added up in GMP and
// the variance from the deviations from the mean, as no one-pass formula
// computes it. The lowest binade is that of the lowest value, and for
// doubles that of the lowest value other than zero (1 with none).
template <typename Real>
Mismatch checkSums(BasicExactSums<Real>& sums, Draws& draws) {
    sums.clear();
    const Real centre = drawValue(draws, Real{1});
    const int count = 2 + static_cast<int>(draws.below(40));
    std::vector<Real> values;
    std::vector<std::uint32_t> copies;
    std::int64_t n = 0;
    int lowest = std::numeric_limits<int>::max();
    for (int i = 0; i < count; ++i) {
        values.push_back(drawValue(draws, centre));
        copies.push_back(draws.oneIn(4) ? 1 + static_cast<std::uint32_t>(draws.below(1 << 25)) : 1);
        sums.add(values.back(), copies.back());
        n += copies.back();
        if (std::is_same_v<Real, float> || values.back() != 0)
            lowest = std::min(lowest, binadeOf(values.back()));
    }
    if (lowest == std::numeric_limits<int>::max()) lowest = 1;
    if (sums.lowestBinade() != lowest) return "lowestBinade " + std::to_string(sums.lowestBinade());
    constexpr int kLowest = kLowestBinade<Real>;
    const int base =
        draws.oneIn(4) ? kLowest + static_cast<int>(draws.below(lowest - kLowest + 1)) : lowest;
    std::string set = "base " + std::to_string(base) + ", values";
    for (int i = 0; i < count; ++i)
        set += " " + hexText(values[i]) + " x" + std::to_string(copies[i]);
    mpz_class sum;
    mpz_class squares;
    std::vector<mpz_class> scaled;
    for (int i = 0; i < count; ++i) {
        scaled.push_back(*scaledExactly(values[i], base));
        if (valueOf(velmora::scaledValue(values[i], base)) != scaled.back())
            return "scaledValue(" + hexText(values[i]) + ", " + std::to_string(base) + ")";
        sum += scaled.back() * copies[i];
        squares += scaled.back() * scaled.back() * copies[i];
    }
    mpz_class deviations;
    for (int i = 0; i < count; ++i) {
        const mpz_class d = mpz_class(scaled[i] * n) - sum;
        deviations += d * d * copies[i];
    }
    const auto exactSum = sums.sum(base);
    const auto exactSquares = sums.squares(base);
    if (valueOf(exactSum) != sum) return "sum of " + set;
    if (valueOf(exactSquares) != squares) return "squares of " + set;
    const mpz_class nn(static_cast<unsigned long>(n));
    const mpz_class varianceDenominator = nn * nn * (n - 1);
    const int exponent = base - 150;
    const float meanSingle = roundedQuotient<float>(sum, nn, exponent);
    const double meanDouble = roundedQuotient<double>(sum, nn, exponent);
    const float varianceSingle =
        roundedQuotient<float>(deviations, varianceDenominator, 2 * exponent);
    const double varianceDouble =
        roundedQuotient<double>(deviations, varianceDenominator, 2 * exponent);
    if (exactMeanSingle(exactSum, n, base) != meanSingle) return "single mean of " + set;
    if (exactMeanDouble(exactSum, n, base) != meanDouble) return "double mean of " + set;
    if (exactVarianceSingle(exactSum, exactSquares, n, base) != varianceSingle)
        return "single variance of " + set;
    if (exactVarianceDouble(exactSum, exactSquares, n, base) != varianceDouble)
        return "double variance of " + set;
    return std::nullopt;
}

// splitValue writes x as mantissa * 2^(binade - 150) with the mantissa below
// 2^digits, and at least 2^(digits - 1) above the lowest binade: the one way
// to write it.
template <typename T>
Mismatch checkSplit(T x) {
    using Limits = std::numeric_limits<T>;
    const ValueParts<T> p = splitValue(x);
    const auto magnitude = static_cast<std::uint64_t>(p.mantissa < 0 ? -p.mantissa : p.mantissa);
    const bool inBinade =
        magnitude < (std::uint64_t{1} << Limits::digits) &&
        (p.binade == kLowestBinade<T> || magnitude >= (std::uint64_t{1} << (Limits::digits - 1)));
    if (std::ldexp(static_cast<double>(p.mantissa), p.binade - 150) == x &&
        p.binade == binadeOf(x) && inBinade)
        return std::nullopt;
    return "splitValue(" + hexText(x) + ") = " + std::to_string(p.mantissa) + " in binade " +
           std::to_string(p.binade);
}

}  // namespace velmora::oracle
