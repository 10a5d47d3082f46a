#include "analysis/paired/fixed_point_columns.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VELMORA_HAS_VECTOR_PATHS 1
#endif

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "analysis/exact_sums.h"
#include "analysis/resampling/column_moments.h"
#include "analysis/resampling/trimming.h"

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

Uint128 joined(std::uint64_t low, std::uint64_t high) {
    return Uint128{low} + (Uint128{high} << 32);
}

// The units and ranks of the three columns; D's units are Var 2's less Var 1's.
struct PairColumns {
    const std::int32_t* units1;
    const std::int32_t* units2;
    const std::uint32_t* ranks[3];
    std::uint32_t lowRank[3];   // kept: ranks strictly between lowRank
    std::uint32_t highRank[3];  // and highRank
};

// Every product below fits its lane: a count below 2^31 times a unit below
// 2^31, or times one 32-bit half of a square below 2^62; and every sum of n
// below 2^31 such products fits 64 bits.
FixedPointColumns::PairSums plainSums(const std::uint32_t* counts, const PairColumns& p,
                                      std::size_t from, std::size_t n) {
    FixedPointColumns::PairSums s{};
    for (std::size_t k = from; k < n; ++k) {
        const std::int64_t c = counts[k];
        const std::int64_t unit[3] = {p.units1[k], p.units2[k],
                                      std::int64_t{p.units2[k]} - p.units1[k]};
        for (int j = 0; j < 3; ++j) {
            const auto square = static_cast<std::uint64_t>(unit[j] * unit[j]);
            const std::uint64_t low = square & 0xffffffffu;
            const std::uint64_t high = square >> 32;
            const std::uint32_t rank = p.ranks[j][k];
            const std::int64_t kept = rank > p.lowRank[j] && rank < p.highRank[j] ? c : 0;
            s[j].sum += c * unit[j];
            s[j].squaresLow += static_cast<std::uint64_t>(c) * low;
            s[j].squaresHigh += static_cast<std::uint64_t>(c) * high;
            s[j].keptSum += kept * unit[j];
            s[j].keptLow += static_cast<std::uint64_t>(kept) * low;
            s[j].keptHigh += static_cast<std::uint64_t>(kept) * high;
        }
    }
    return s;
}

#ifdef VELMORA_HAS_VECTOR_PATHS
// The lanes' sums added to the plain sums of the pairs the lanes left. Two's
// complement: the lanes' wrapped sum is the signed sum.
FixedPointColumns::PairSums withRest(const FixedPointColumns::PairSums& lanes,
                                     const std::uint32_t* counts, const PairColumns& p,
                                     std::size_t from, std::size_t n) {
    FixedPointColumns::PairSums s = plainSums(counts, p, from, n);
    for (int j = 0; j < 3; ++j) {
        s[j].sum += lanes[j].sum;
        s[j].squaresLow += lanes[j].squaresLow;
        s[j].squaresHigh += lanes[j].squaresHigh;
        s[j].keptSum += lanes[j].keptSum;
        s[j].keptLow += lanes[j].keptLow;
        s[j].keptHigh += lanes[j].keptHigh;
    }
    return s;
}

// Both vector loops leave the upper halves of the vector registers clean
// (zeroupper) before anything else runs: the rest of the program is SSE code,
// and with them dirty every SSE instruction waits on them (the whole
// bootstrap ran 2.6 times as long). D's units fit 32 bits, so the
// multiplications of the low 32 bits take every factor whole. The lanes are
// named one by one: in arrays they would live in memory.

struct Lanes4 {
    __m256i sum, squaresLow, squaresHigh, keptSum, keptLow, keptHigh;
};

__attribute__((target("avx2"))) std::uint64_t total(__m256i v) {
    alignas(32) std::uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

__attribute__((target("avx2"), always_inline)) inline void addLanes(Lanes4& s, __m256i counts,
                                                                    __m256i units, __m128i ranks,
                                                                    __m128i low, __m128i high) {
    // Ranks are below 2^31, so a signed 32-bit comparison orders them.
    const __m256i kept =
        _mm256_and_si256(counts, _mm256_cvtepi32_epi64(_mm_and_si128(
                                     _mm_cmpgt_epi32(ranks, low), _mm_cmpgt_epi32(high, ranks))));
    const __m256i square = _mm256_mul_epi32(units, units);
    const __m256i squareHigh = _mm256_srli_epi64(square, 32);
    s.sum = _mm256_add_epi64(s.sum, _mm256_mul_epi32(counts, units));
    s.squaresLow = _mm256_add_epi64(s.squaresLow, _mm256_mul_epu32(counts, square));
    s.squaresHigh = _mm256_add_epi64(s.squaresHigh, _mm256_mul_epu32(counts, squareHigh));
    s.keptSum = _mm256_add_epi64(s.keptSum, _mm256_mul_epi32(kept, units));
    s.keptLow = _mm256_add_epi64(s.keptLow, _mm256_mul_epu32(kept, square));
    s.keptHigh = _mm256_add_epi64(s.keptHigh, _mm256_mul_epu32(kept, squareHigh));
}

__attribute__((target("avx2"))) FixedPointColumns::PairSums avx2Sums(const std::uint32_t* counts,
                                                                     const PairColumns& p,
                                                                     std::size_t n) {
    const auto load = [](const void* at) {
        return _mm_loadu_si128(static_cast<const __m128i*>(at));
    };
    __m128i low[3], high[3];
    for (int j = 0; j < 3; ++j) {
        low[j] = _mm_set1_epi32(static_cast<int>(p.lowRank[j]));
        high[j] = _mm_set1_epi32(static_cast<int>(p.highRank[j]));
    }
    const __m256i zero = _mm256_setzero_si256();
    Lanes4 s1{zero, zero, zero, zero, zero, zero}, s2 = s1, sD = s1;
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m256i c = _mm256_cvtepu32_epi64(load(counts + k));
        const __m256i m1 = _mm256_cvtepi32_epi64(load(p.units1 + k));
        const __m256i m2 = _mm256_cvtepi32_epi64(load(p.units2 + k));
        addLanes(s1, c, m1, load(p.ranks[0] + k), low[0], high[0]);
        addLanes(s2, c, m2, load(p.ranks[1] + k), low[1], high[1]);
        addLanes(sD, c, _mm256_sub_epi64(m2, m1), load(p.ranks[2] + k), low[2], high[2]);
    }
    FixedPointColumns::PairSums lanes{};
    const Lanes4* columns[3] = {&s1, &s2, &sD};
    for (int j = 0; j < 3; ++j) {
        const Lanes4& v = *columns[j];
        lanes[j] = {
            static_cast<std::int64_t>(total(v.sum)),     total(v.squaresLow), total(v.squaresHigh),
            static_cast<std::int64_t>(total(v.keptSum)), total(v.keptLow),    total(v.keptHigh)};
    }
    _mm256_zeroupper();
    return withRest(lanes, counts, p, k, n);
}

// GCC 12's AVX-512 headers hand their builtins an undefined vector where no
// lane of it is read, and warn of it (GCC bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Eight pairs at a time, the kept lanes chosen by mask.
struct Lanes8 {
    __m512i sum, squaresLow, squaresHigh, keptSum, keptLow, keptHigh;
};

__attribute__((target("avx512f,avx512vl"), always_inline)) inline void addLanes(
    Lanes8& s, __m512i counts, __m512i units, __m256i ranks, __m256i low, __m256i high) {
    const __mmask8 kept =
        _mm256_mask_cmplt_epu32_mask(_mm256_cmpgt_epu32_mask(ranks, low), ranks, high);
    const __m512i square = _mm512_mul_epi32(units, units);
    const __m512i linear = _mm512_mul_epi32(counts, units);
    const __m512i squareLow = _mm512_mul_epu32(counts, square);
    const __m512i squareHigh = _mm512_mul_epu32(counts, _mm512_srli_epi64(square, 32));
    s.sum = _mm512_add_epi64(s.sum, linear);
    s.squaresLow = _mm512_add_epi64(s.squaresLow, squareLow);
    s.squaresHigh = _mm512_add_epi64(s.squaresHigh, squareHigh);
    s.keptSum = _mm512_mask_add_epi64(s.keptSum, kept, s.keptSum, linear);
    s.keptLow = _mm512_mask_add_epi64(s.keptLow, kept, s.keptLow, squareLow);
    s.keptHigh = _mm512_mask_add_epi64(s.keptHigh, kept, s.keptHigh, squareHigh);
}

__attribute__((target("avx512f,avx512vl"), always_inline)) inline __m256i load8(const void* at) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(at));
}

__attribute__((target("avx512f,avx512vl"))) std::uint64_t total(__m512i v) {
    return static_cast<std::uint64_t>(_mm512_reduce_add_epi64(v));
}

__attribute__((target("avx512f,avx512vl"))) FixedPointColumns::PairSums avx512Sums(
    const std::uint32_t* counts, const PairColumns& p, std::size_t n) {
    __m256i low[3], high[3];
    for (int j = 0; j < 3; ++j) {
        low[j] = _mm256_set1_epi32(static_cast<int>(p.lowRank[j]));
        high[j] = _mm256_set1_epi32(static_cast<int>(p.highRank[j]));
    }
    const __m512i zero = _mm512_setzero_si512();
    Lanes8 s1{zero, zero, zero, zero, zero, zero}, s2 = s1, sD = s1;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m512i c = _mm512_cvtepu32_epi64(load8(counts + k));
        const __m512i m1 = _mm512_cvtepi32_epi64(load8(p.units1 + k));
        const __m512i m2 = _mm512_cvtepi32_epi64(load8(p.units2 + k));
        addLanes(s1, c, m1, load8(p.ranks[0] + k), low[0], high[0]);
        addLanes(s2, c, m2, load8(p.ranks[1] + k), low[1], high[1]);
        addLanes(sD, c, _mm512_sub_epi64(m2, m1), load8(p.ranks[2] + k), low[2], high[2]);
    }
    FixedPointColumns::PairSums lanes{};
    const Lanes8* columns[3] = {&s1, &s2, &sD};
    for (int j = 0; j < 3; ++j) {
        const Lanes8& v = *columns[j];
        lanes[j] = {
            static_cast<std::int64_t>(total(v.sum)),     total(v.squaresLow), total(v.squaresHigh),
            static_cast<std::int64_t>(total(v.keptSum)), total(v.keptLow),    total(v.keptHigh)};
    }
    _mm256_zeroupper();
    return withRest(lanes, counts, p, k, n);
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

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
    for (int j = 0; j < 2; ++j) f.m_units[j].resize(n);
    // D's units by pair: the trials take them as Var 2's less Var 1's.
    std::vector<std::int32_t> unitsD(n);
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
        unitsD[k] = static_cast<std::int32_t>(d);
    }
    const std::vector<std::int32_t>* units[3] = {&f.m_units[0], &f.m_units[1], &unitsD};
    for (int j = 0; j < 3; ++j) {
        f.m_order[j] = *order[j];
        f.m_rank[j].resize(n);
        f.m_sortedUnits[j].resize(n);
        for (std::size_t r = 0; r < n; ++r) {
            f.m_rank[j][f.m_order[j][r]] = static_cast<std::uint32_t>(r);
            f.m_sortedUnits[j][r] = (*units[j])[f.m_order[j][r]];
        }
    }
    return f;
}

FixedPointColumns::SumPath FixedPointColumns::fastestSumPath() {
#ifdef VELMORA_HAS_VECTOR_PATHS
    static const SumPath path =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") ? SumPath::Avx512
        : __builtin_cpu_supports("avx2")                                        ? SumPath::Avx2
                                                                                : SumPath::Plain;
    return path;
#else
    return SumPath::Plain;
#endif
}

FixedPointColumns::PairSums FixedPointColumns::pairSums(const std::uint32_t* counts,
                                                        const std::uint32_t lowRank[3],
                                                        const std::uint32_t highRank[3],
                                                        SumPath path) const {
    PairColumns p{m_units[0].data(),
                  m_units[1].data(),
                  {m_rank[0].data(), m_rank[1].data(), m_rank[2].data()},
                  {lowRank[0], lowRank[1], lowRank[2]},
                  {highRank[0], highRank[1], highRank[2]}};
#ifdef VELMORA_HAS_VECTOR_PATHS
    if (path == SumPath::Avx512) return avx512Sums(counts, p, m_n);
    if (path == SumPath::Avx2) return avx2Sums(counts, p, m_n);
#endif
    return plainSums(counts, p, 0, m_n);
}

PairedMoments FixedPointColumns::moments(const std::uint32_t* counts) const {
    assert(m_n >= 2);
    const auto n = static_cast<std::int32_t>(m_n);
    const std::int32_t g = TrimCount(n);
    const auto copies = static_cast<std::uint64_t>(g);
    // Per column, the ranks that hold position g from either end: below
    // them only trimmed copies, between them only kept ones.
    std::uint32_t lowRank[3], highRank[3];
    std::uint64_t below[3], above[3];
    for (int j = 0; j < 3; ++j) {
        const std::uint32_t* order = m_order[j].data();
        std::uint64_t b = 0;
        std::size_t r = 0;
        while (b + counts[order[r]] <= copies) b += counts[order[r++]];
        lowRank[j] = static_cast<std::uint32_t>(r);
        below[j] = b;
        std::uint64_t a = 0;
        r = m_n - 1;
        while (a + counts[order[r]] <= copies) a += counts[order[r--]];
        highRank[j] = static_cast<std::uint32_t>(r);
        above[j] = a;
    }
    const PairSums sums = pairSums(counts, lowRank, highRank, fastestSumPath());

    PairedMoments out;
    out.n = n;
    Int128 keptSums[3] = {};
    ColumnMoments* targets[3] = {&out.var1, &out.var2, &out.difference};
    for (int j = 0; j < 3; ++j) {
        const Sums& s = sums[j];
        const std::uint32_t* order = m_order[j].data();
        const std::int64_t lowUnit = sortedUnit(j, lowRank[j]);
        const std::int64_t highUnit = sortedUnit(j, highRank[j]);
        // The copies of the two boundary ranks that the trimming leaves.
        Int128 keptSum = s.keptSum;
        Uint128 keptSquares = joined(s.keptLow, s.keptHigh);
        const auto addKept = [&](std::int64_t unit, std::uint64_t times) {
            keptSum += static_cast<Int128>(unit) * static_cast<Int128>(times);
            keptSquares += static_cast<Uint128>(unit * unit) * times;
        };
        if (lowRank[j] == highRank[j]) {
            addKept(lowUnit, m_n - 2 * copies);
        } else {
            addKept(lowUnit, counts[order[lowRank[j]]] - (copies - below[j]));
            addKept(highUnit, counts[order[highRank[j]]] - (copies - above[j]));
        }
        keptSums[j] = keptSum;
        *targets[j] =
            ColumnMomentsFromSums(n, m_base,
                                  UnitColumnSums{s.sum, joined(s.squaresLow, s.squaresHigh),
                                                 keptSum, keptSquares, lowUnit, highUnit});
    }
    out.trimmedMeanDifference = exactMeanDouble(keptSums[1] - keptSums[0], n - 2 * g, m_base);
    return out;
}

}  // namespace velmora
