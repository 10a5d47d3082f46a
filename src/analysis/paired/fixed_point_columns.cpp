#include "analysis/paired/fixed_point_columns.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VELMORA_HAS_AVX2_PATH 1
#endif

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "analysis/bootstrap/group_stats.h"
#include "analysis/exact_sums.h"

namespace velmora {

namespace {

constexpr double kUnitLimit = 2147483648.0;  // 2^31

// The exponent of x's lowest set bit (x finite, not 0).
int lowestBitExponent(double x) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    return exponent - 53 + std::countr_zero(mantissa);
}

SignedExact signedExact(Int128 value) {
    SignedExact out;
    out.negative = value < 0;
    out.magnitude = ExactInteger(static_cast<Uint128>(value < 0 ? -value : value));
    return out;
}

Uint128 joined(std::uint64_t low, std::uint64_t high) {
    return Uint128{low} + (Uint128{high} << 32);
}

// Every product below fits its lane: a count below 2^31 times a unit below
// 2^31, or times one 32-bit half of a square below 2^62; and every sum of n
// below 2^31 such products fits 64 bits.
FixedPointColumns::Sums plainSums(const std::uint32_t* counts, const std::int32_t* units,
                                  const std::uint32_t* ranks, std::size_t from, std::size_t n,
                                  std::uint32_t lowRank, std::uint32_t highRank) {
    FixedPointColumns::Sums s;
    for (std::size_t k = from; k < n; ++k) {
        const std::int64_t c = counts[k];
        const std::int64_t m = units[k];
        const auto square = static_cast<std::uint64_t>(m * m);
        const std::uint64_t low = square & 0xffffffffu;
        const std::uint64_t high = square >> 32;
        const std::int64_t kept = ranks[k] > lowRank && ranks[k] < highRank ? c : 0;
        s.sum += c * m;
        s.squaresLow += static_cast<std::uint64_t>(c) * low;
        s.squaresHigh += static_cast<std::uint64_t>(c) * high;
        s.keptSum += kept * m;
        s.keptLow += static_cast<std::uint64_t>(kept) * low;
        s.keptHigh += static_cast<std::uint64_t>(kept) * high;
    }
    return s;
}

#ifdef VELMORA_HAS_AVX2_PATH
__attribute__((target("avx2"))) std::uint64_t total(__m256i v) {
    alignas(32) std::uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

__attribute__((target("avx2"))) FixedPointColumns::Sums vectorSums(
    const std::uint32_t* counts, const std::int32_t* units, const std::uint32_t* ranks,
    std::size_t n, std::uint32_t lowRank, std::uint32_t highRank) {
    const __m256i halfMask = _mm256_set1_epi64x(0xffffffff);
    const __m128i low = _mm_set1_epi32(static_cast<int>(lowRank));
    const __m128i high = _mm_set1_epi32(static_cast<int>(highRank));
    __m256i sum = _mm256_setzero_si256(), squaresLow = sum, squaresHigh = sum;
    __m256i keptSum = sum, keptLow = sum, keptHigh = sum;
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const auto load = [&](const void* p) {
            return _mm_loadu_si128(static_cast<const __m128i*>(p));
        };
        const __m256i c = _mm256_cvtepu32_epi64(load(counts + k));
        const __m256i m = _mm256_cvtepi32_epi64(load(units + k));
        // Ranks are below 2^31, so a signed 32-bit comparison orders them.
        const __m128i r = load(ranks + k);
        const __m256i kept =
            _mm256_cvtepi32_epi64(_mm_and_si128(_mm_cmpgt_epi32(r, low), _mm_cmpgt_epi32(high, r)));
        const __m256i square = _mm256_mul_epi32(m, m);
        const __m256i linear = _mm256_mul_epi32(c, m);
        const __m256i lowPart = _mm256_mul_epu32(c, _mm256_and_si256(square, halfMask));
        const __m256i highPart = _mm256_mul_epu32(c, _mm256_srli_epi64(square, 32));
        sum = _mm256_add_epi64(sum, linear);
        squaresLow = _mm256_add_epi64(squaresLow, lowPart);
        squaresHigh = _mm256_add_epi64(squaresHigh, highPart);
        keptSum = _mm256_add_epi64(keptSum, _mm256_and_si256(kept, linear));
        keptLow = _mm256_add_epi64(keptLow, _mm256_and_si256(kept, lowPart));
        keptHigh = _mm256_add_epi64(keptHigh, _mm256_and_si256(kept, highPart));
    }
    FixedPointColumns::Sums s = plainSums(counts, units, ranks, k, n, lowRank, highRank);
    // Two's complement: the lanes' wrapped sum is the signed sum.
    s.sum += static_cast<std::int64_t>(total(sum));
    s.squaresLow += total(squaresLow);
    s.squaresHigh += total(squaresHigh);
    s.keptSum += static_cast<std::int64_t>(total(keptSum));
    s.keptLow += total(keptLow);
    s.keptHigh += total(keptHigh);
    return s;
}

#endif

// The moments of n values from their exact sums in units of 2^(base - 150),
// the kept ones' sums and the kept stretch's end values.
ColumnMoments momentsFromSums(std::int32_t n, int base, Int128 sum, Uint128 squares, Int128 keptSum,
                              Uint128 keptSquares, std::int64_t lowUnit, std::int64_t highUnit) {
    const std::int32_t g = TrimCount(n);
    ColumnMoments m;
    const SignedExact all = signedExact(sum);
    m.mean = exactMeanDouble(all, n, base);
    m.variance = exactVarianceDouble(all, ExactInteger(squares), n, base);
    m.trimmedMean = exactMeanDouble(signedExact(keptSum), n - 2 * g, base);
    // The Winsorized sample: g copies of each end's kept value around the kept ones.
    const Int128 winsSum = keptSum + static_cast<Int128>(lowUnit + highUnit) * g;
    const Uint128 winsSquares =
        keptSquares +
        static_cast<Uint128>(lowUnit * lowUnit + highUnit * highUnit) * static_cast<unsigned>(g);
    m.winsVariance = exactVarianceDouble(signedExact(winsSum), ExactInteger(winsSquares), n, base);
    return m;
}

bool hasAvx2() {
#ifdef VELMORA_HAS_AVX2_PATH
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

}  // namespace

std::optional<FixedPointColumns> FixedPointColumns::build(
    const std::vector<double>* values[3], const std::vector<std::uint32_t>* order[3]) {
    const std::size_t n = values[0]->size();
    int unit = 0;
    bool any = false;
    for (int j = 0; j < 2; ++j) {
        for (const double x : *values[j]) {
            if (!std::isfinite(x)) return std::nullopt;
            if (x == 0.0) continue;
            const int e = lowestBitExponent(x);
            unit = any ? std::min(unit, e) : e;
            any = true;
        }
    }
    FixedPointColumns f;
    f.m_n = n;
    f.m_base = unit + 150;
    for (int j = 0; j < 3; ++j) f.m_units[j].resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        double scaled[2];
        for (int j = 0; j < 2; ++j) {
            // Exact: a multiple of 2^unit below 2^31 units needs at most 31 bits.
            scaled[j] = std::ldexp((*values[j])[k], -unit);
            if (!(std::fabs(scaled[j]) < kUnitLimit)) return std::nullopt;
            f.m_units[j][k] = static_cast<std::int32_t>(scaled[j]);
        }
        // D as the paired columns hold it (rounded once) must be the exact difference.
        const std::int64_t d = std::int64_t{f.m_units[1][k]} - f.m_units[0][k];
        if (std::llabs(d) >= std::int64_t{1} << 31 ||
            std::ldexp((*values[2])[k], -unit) != static_cast<double>(d))
            return std::nullopt;
        f.m_units[2][k] = static_cast<std::int32_t>(d);
    }
    f.m_lo = static_cast<std::size_t>(TrimCount(static_cast<std::int32_t>(n - 1)));
    f.m_hi = n - 2 - f.m_lo;
    for (int j = 0; j < 3; ++j) {
        f.m_order[j] = *order[j];
        f.m_rank[j].resize(n);
        Whole& w = f.m_whole[j];
        for (std::size_t r = 0; r < n; ++r) {
            f.m_rank[j][f.m_order[j][r]] = static_cast<std::uint32_t>(r);
            const std::int64_t u = f.sortedUnit(j, r);
            const auto square = static_cast<Uint128>(u * u);
            w.sum += u;
            w.squares += square;
            if (r >= f.m_lo && r <= f.m_hi + 1) {
                w.stretchSum += u;
                w.stretchSquares += square;
            }
        }
    }
    return f;
}

FixedPointColumns::Sums FixedPointColumns::columnSums(int column, const std::uint32_t* counts,
                                                      std::uint32_t lowRank, std::uint32_t highRank,
                                                      bool vector) const {
    const std::int32_t* units = m_units[column].data();
    const std::uint32_t* ranks = m_rank[column].data();
#ifdef VELMORA_HAS_AVX2_PATH
    if (vector && hasAvx2()) return vectorSums(counts, units, ranks, m_n, lowRank, highRank);
#endif
    return plainSums(counts, units, ranks, 0, m_n, lowRank, highRank);
}

// As the rank walk's jackknife: without rank j the kept stretch of the n - 1
// values left is ranks lo..hi + 1 less the one at clamp(j, lo, hi + 1).
ColumnMoments FixedPointColumns::leaveOneOut(int column, std::size_t k, Int128& keptSum) const {
    const Whole& w = m_whole[column];
    const std::size_t j = m_rank[column][k];
    const std::int64_t out = sortedUnit(column, j);
    const std::int64_t dropped = sortedUnit(column, std::clamp(j, m_lo, m_hi + 1));
    keptSum = w.stretchSum - dropped;
    const std::int64_t lowUnit = sortedUnit(column, j > m_lo ? m_lo : m_lo + 1);
    const std::int64_t highUnit = sortedUnit(column, j > m_hi ? m_hi : m_hi + 1);
    return momentsFromSums(static_cast<std::int32_t>(m_n - 1), m_base, w.sum - out,
                           w.squares - static_cast<Uint128>(out * out), keptSum,
                           w.stretchSquares - static_cast<Uint128>(dropped * dropped), lowUnit,
                           highUnit);
}

PairedMoments FixedPointColumns::moments(const std::uint32_t* counts) const {
    assert(m_n >= 2);
    const auto n = static_cast<std::int32_t>(m_n);
    const std::int32_t g = TrimCount(n);
    const auto copies = static_cast<std::uint64_t>(g);
    PairedMoments out;
    out.n = n;
    Int128 keptSums[3] = {};
    ColumnMoments* targets[3] = {&out.var1, &out.var2, &out.difference};
    for (int j = 0; j < 3; ++j) {
        const std::uint32_t* order = m_order[j].data();
        // The ranks that hold position g from either end: below them only
        // trimmed copies, between them only kept ones.
        std::uint64_t below = 0;
        std::size_t lowRank = 0;
        while (below + counts[order[lowRank]] <= copies) below += counts[order[lowRank++]];
        std::uint64_t above = 0;
        std::size_t highRank = m_n - 1;
        while (above + counts[order[highRank]] <= copies) above += counts[order[highRank--]];

        const Sums s = columnSums(j, counts, static_cast<std::uint32_t>(lowRank),
                                  static_cast<std::uint32_t>(highRank), hasAvx2());
        const std::int64_t lowUnit = m_units[j][order[lowRank]];
        const std::int64_t highUnit = m_units[j][order[highRank]];
        Int128 keptSum = s.keptSum;
        Uint128 keptSquares = joined(s.keptLow, s.keptHigh);
        const auto addKept = [&](std::int64_t unit, std::uint64_t times) {
            keptSum += static_cast<Int128>(unit) * static_cast<Int128>(times);
            keptSquares += static_cast<Uint128>(unit * unit) * times;
        };
        if (lowRank == highRank) {
            addKept(lowUnit, m_n - 2 * copies);
        } else {
            addKept(lowUnit, counts[order[lowRank]] - (copies - below));
            addKept(highUnit, counts[order[highRank]] - (copies - above));
        }
        keptSums[j] = keptSum;

        *targets[j] = momentsFromSums(n, m_base, s.sum, joined(s.squaresLow, s.squaresHigh),
                                      keptSum, keptSquares, lowUnit, highUnit);
    }
    out.trimmedMeanDifference =
        exactMeanDouble(signedExact(keptSums[1] - keptSums[0]), n - 2 * g, m_base);
    return out;
}

}  // namespace velmora
