#include "analysis/count_sums.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VELMORA_HAS_VECTOR_PATHS 1
#endif

#include <cassert>

#include "analysis/count_sums_builds.h"

namespace velmora {

namespace {

using Build = count_sums_builds::Build;

// Every product below fits its lane: a count below 2^31 times a unit below
// 2^31, or times one 32-bit half of a square below 2^62; and every sum of n
// below 2^31 such products fits 64 bits.
PairCountSums plainSums(const std::uint32_t* counts, const CountColumns& p, std::size_t from,
                        std::size_t n) {
    PairCountSums s{};
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
PairCountSums withRest(const PairCountSums& lanes, const std::uint32_t* counts,
                       const CountColumns& p, std::size_t from, std::size_t n) {
    PairCountSums s = plainSums(counts, p, from, n);
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

__attribute__((target("avx2"))) PairCountSums avx2Sums(const std::uint32_t* counts,
                                                       const CountColumns& p, std::size_t n) {
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
    PairCountSums lanes{};
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

__attribute__((target("avx512f,avx512vl"))) PairCountSums avx512Sums(const std::uint32_t* counts,
                                                                     const CountColumns& p,
                                                                     std::size_t n) {
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
    PairCountSums lanes{};
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

namespace count_sums_builds {

bool runs(Build build) {
    switch (build) {
        case Build::Plain:
            return true;
#ifdef VELMORA_HAS_VECTOR_PATHS
        case Build::Avx2:
            return __builtin_cpu_supports("avx2");
        case Build::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
#endif
        default:
            return false;
    }
}

Build chosen() {
    static const Build build = runs(Build::Avx512) ? Build::Avx512
                               : runs(Build::Avx2) ? Build::Avx2
                                                   : Build::Plain;
    return build;
}

PairCountSums countSums(Build build, const std::uint32_t* counts, const CountColumns& columns,
                        std::size_t n) {
    assert(runs(build));
#ifdef VELMORA_HAS_VECTOR_PATHS
    if (build == Build::Avx512) return avx512Sums(counts, columns, n);
    if (build == Build::Avx2) return avx2Sums(counts, columns, n);
#endif
    return plainSums(counts, columns, 0, n);
}

}  // namespace count_sums_builds

PairCountSums countSums(const std::uint32_t* counts, const CountColumns& columns, std::size_t n) {
    return count_sums_builds::countSums(count_sums_builds::chosen(), counts, columns, n);
}

}  // namespace velmora
