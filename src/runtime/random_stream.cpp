#include "runtime/random_stream.h"

#include "runtime/contract.h"

namespace velmora {

namespace {

constexpr std::uint64_t rotateLeft(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

}  // namespace

std::size_t RandomStream::nextSingles(float* out, std::size_t count) {
    std::size_t zeros = 0;
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = nextSingle();
        zeros += out[i] == 0.0f ? 1 : 0;
    }
    return zeros;
}

std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void DefaultRandomStream::reseed(std::uint64_t seed) {
    // splitmix64 spreads even neighbouring seeds over the whole state, and
    // its outputs from one run are distinct, so the state is never all zero
    // (the one state xoshiro cannot leave).
    std::uint64_t state = seed;
    for (std::uint64_t& word : m_s) word = splitMix64(state);
}

void DefaultRandomStream::setState(std::uint64_t s0, std::uint64_t s1, std::uint64_t s2,
                                   std::uint64_t s3) {
    VELMORA_EXPECTS((s0 | s1 | s2 | s3) != 0);  // the generator would give 0 for ever
    m_s[0] = s0;
    m_s[1] = s1;
    m_s[2] = s2;
    m_s[3] = s3;
}

namespace {

// One xoshiro256** step on a state held in locals.
inline std::uint64_t xoshiroNext(std::uint64_t (&s)[4]) {
    const std::uint64_t result = rotateLeft(s[1] * 5, 7) * 9;
    const std::uint64_t t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = rotateLeft(s[3], 45);
    return result;
}

// 24 bits fill a float's significand exactly: the product is exact and at
// most 1 - 2^-24, so 1 is never returned.
inline float singleFromBits(std::uint64_t bits) {
    return static_cast<float>(bits >> 40) * 0x1p-24f;
}

}  // namespace

std::uint64_t DefaultRandomStream::nextBits64() {
    return xoshiroNext(m_s);
}

float DefaultRandomStream::nextSingle() {
    return singleFromBits(xoshiroNext(m_s));
}

std::size_t DefaultRandomStream::nextSingles(float* out, std::size_t count) {
    // The state in locals for the loop: stores to the member array would
    // otherwise have to be kept in step with every write to `out`.
    std::uint64_t s[4] = {m_s[0], m_s[1], m_s[2], m_s[3]};
    std::size_t zeros = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t bits = xoshiroNext(s);
        zeros += (bits >> 40) == 0 ? 1 : 0;
        out[i] = singleFromBits(bits);
    }
    for (int k = 0; k < 4; ++k) m_s[k] = s[k];
    return zeros;
}

}  // namespace velmora
