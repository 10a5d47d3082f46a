#include "analysis/bootstrap/pair_draws.h"

#include <cassert>

namespace velmora {

namespace {

// ceil(u * n) for 0 <= u < 1 and n <= 2^24. The product is exact in double;
// for a non-negative x, truncating and stepping up when something was cut off
// is the same as -floor(-x), without a library call in the innermost loop.
inline std::int32_t ceilOfScaled(float u, double n) {
    const double x = static_cast<double>(u) * n;
    const auto whole = static_cast<std::int32_t>(x);
    return static_cast<double>(whole) < x ? whole + 1 : whole;
}

inline std::int32_t drawBySingle(RandomStream& random, double n) {
    for (;;) {
        const std::int32_t p = ceilOfScaled(random.nextSingle(), n);
        if (p != 0) return p;  // u was exactly 0: drawn again for the same row
    }
}

// Lemire's multiply-and-reject: the high half of x * n is uniform on 0..n-1
// once the low halves below 2^64 mod n are rejected.
std::int32_t drawByBits(RandomStream& random, std::int32_t nPairs) {
    const auto n = static_cast<std::uint64_t>(nPairs);
    const std::uint64_t reject = (0 - n) % n;  // 2^64 mod n
    for (;;) {
        const std::uint64_t x = random.nextBits64();
        // 64 x 31 bit product split in 32-bit halves (no 128-bit type needed).
        const std::uint64_t low = (x & 0xFFFFFFFFu) * n;
        const std::uint64_t mid = (x >> 32) * n + (low >> 32);
        const std::uint64_t productLow = (mid << 32) | (low & 0xFFFFFFFFu);
        if (productLow < reject) continue;
        return static_cast<std::int32_t>(mid >> 32) + 1;
    }
}

}  // namespace

std::int32_t DrawPairNumber(RandomStream& random, std::int32_t nPairs) {
    assert(nPairs >= 1);
    if (nPairs <= SINGLE_DRAW_LIMIT) return drawBySingle(random, static_cast<double>(nPairs));
    return drawByBits(random, nPairs);
}

void DrawTrial(RandomStream& random, std::int32_t nPairs, TrialDraws out) {
    const auto n = static_cast<std::size_t>(nPairs);
    if (nPairs > SINGLE_DRAW_LIMIT) {
        for (std::size_t m = 0; m < n; ++m)
            out.numbers[m] = static_cast<std::uint32_t>(drawByBits(random, nPairs) - 1);
        return;
    }
    float* u = out.singles;
    std::size_t m = 0;
    while (m < n) {
        if (random.nextSingles(u + m, n - m) == 0) return;
        std::size_t kept = m;
        for (std::size_t i = m; i < n; ++i)
            if (u[i] != 0.0f) u[kept++] = u[i];
        m = kept;
    }
}

// Blocks of a fixed length, so that the compiler turns each into vector code.
void PairNumbersOf(const float* singles, std::size_t n, std::uint32_t* numbers) {
    constexpr std::size_t kBlock = 16;
    const double scale = static_cast<double>(n);
    std::size_t m = 0;
    for (; m + kBlock <= n; m += kBlock)
        for (std::size_t j = 0; j < kBlock; ++j)
            numbers[m + j] = static_cast<std::uint32_t>(ceilOfScaled(singles[m + j], scale) - 1);
    for (; m < n; ++m) numbers[m] = static_cast<std::uint32_t>(ceilOfScaled(singles[m], scale) - 1);
}

}  // namespace velmora
