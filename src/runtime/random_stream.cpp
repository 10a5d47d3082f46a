#include "runtime/random_stream.h"

namespace velmora {

namespace {

constexpr std::uint64_t rotateLeft(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

}  // namespace

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
    m_s[0] = s0;
    m_s[1] = s1;
    m_s[2] = s2;
    m_s[3] = s3;
}

std::uint64_t DefaultRandomStream::nextBits64() {
    const std::uint64_t result = rotateLeft(m_s[1] * 5, 7) * 9;
    const std::uint64_t t = m_s[1] << 17;
    m_s[2] ^= m_s[0];
    m_s[3] ^= m_s[1];
    m_s[1] ^= m_s[2];
    m_s[0] ^= m_s[3];
    m_s[2] ^= t;
    m_s[3] = rotateLeft(m_s[3], 45);
    return result;
}

float DefaultRandomStream::nextSingle() {
    // 24 bits fill a float's significand exactly: the product is exact and
    // at most 1 - 2^-24, so 1 is never returned.
    return static_cast<float>(nextBits64() >> 40) * 0x1p-24f;
}

}  // namespace velmora
