#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/random_stream.h"

namespace velmora {

// Up to this many complete pairs a draw is ceil(u * nPairs) from one single u.
inline constexpr std::int32_t SINGLE_DRAW_LIMIT = 16777216;  // 2^24

// One draw of a complete pair, 1-based, every pair with equal chance.
// nPairs <= 2^24: p = ceil(u * nPairs) in double (as -floor(-u * nPairs)) from
// u = nextSingle(), a u of exactly 0 discarded and drawn again.
// nPairs > 2^24: a single u has only 2^24 values and could not reach most
// pairs, so p comes from nextBits64() by multiply-and-reject, which is exactly
// uniform. Precondition: nPairs >= 1.
std::int32_t DrawPairNumber(RandomStream& random, std::int32_t nPairs);

// One trial's draws as the stream gives them, in row order: for up to 2^24
// pairs the singles u (a u of exactly 0 fills no row, so the stream is read
// again for that row), beyond that the pair numbers themselves (0-based).
// Turning a single into its pair number is left to the thread that computes
// the trial, so the calling thread does no more than read the stream.
struct TrialDraws {
    float* singles = nullptr;
    std::uint32_t* numbers = nullptr;
};

// Reads one trial's nPairs draws into `out` (its singles up to 2^24 pairs,
// its numbers beyond): the same stream reads, in the same order, as nPairs
// calls of DrawPairNumber.
void DrawTrial(RandomStream& random, std::int32_t nPairs, TrialDraws out);

// The 0-based pair numbers ceil(u * n) - 1 of n singles u in (0, 1), as
// DrawTrial read them for n <= 2^24 pairs.
void PairNumbersOf(const float* singles, std::size_t n, std::uint32_t* numbers);

}  // namespace velmora
