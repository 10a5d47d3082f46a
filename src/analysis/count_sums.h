#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

// One resample's exact sums over paired columns held as whole numbers of one
// unit: the pairs' Var 1 and Var 2 units (D's are Var 2's less Var 1's), each
// pair drawn counts[k] times, in one pass in pair order. This fast path
// applies when every unit of Var 1, Var 2 and D is below 2^31 in magnitude
// (data written to a few decimals and stored as singles nearly always are;
// FixedPointColumns tells); other data take the rank walk.
//
// On x86-64 processors with AVX-512 (F and VL) eight pairs go at a time, with
// AVX2 four; elsewhere, and for the pairs the lanes leave, one. The vector
// loops are written with intrinsics: the compiler's own vectorization of the
// plain loop multiplies the 32-bit halves as whole 64-bit numbers and ran
// half as fast again (bench/paired_sums_bench). Every way gives the same
// sums: they are exact integers.
struct CountSums {
    std::int64_t sum = 0;           // of count x unit
    std::uint64_t squaresLow = 0;   // of count x the low 32 bits of unit^2
    std::uint64_t squaresHigh = 0;  // of count x the high 32 bits
    // The same over the pairs whose rank in the column lies strictly between
    // lowRank and highRank.
    std::int64_t keptSum = 0;
    std::uint64_t keptLow = 0;
    std::uint64_t keptHigh = 0;
};
using PairCountSums = std::array<CountSums, 3>;  // Var 1, Var 2, D

struct CountColumns {
    const std::int32_t* units1;
    const std::int32_t* units2;
    const std::uint32_t* ranks[3];  // of each pair in Var 1, Var 2, D
    std::uint32_t lowRank[3];
    std::uint32_t highRank[3];
};

// n pairs, the counts summing to fewer than 2^31 draws (so that every sum
// fits its 64 bits), every rank, lowRank and highRank below 2^31.
PairCountSums countSums(const std::uint32_t* counts, const CountColumns& columns, std::size_t n);

}  // namespace velmora
