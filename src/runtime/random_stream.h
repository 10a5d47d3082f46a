#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// A uniform pseudo-random stream. Tests plug in their own.
class RandomStream {
public:
    virtual ~RandomStream() = default;
    // Uniform single in [0, 1): the top 24 bits of the generator times 2^-24,
    // so it can never reach 1.
    virtual float nextSingle() = 0;
    // The next `count` singles, exactly as that many nextSingle() calls give
    // them, and how many of them are exactly 0 (a caller that must skip
    // zeros then scans only when there are some). A stream may override it
    // to produce them faster.
    virtual std::size_t nextSingles(float* out, std::size_t count);
    // 64 uniformly random bits (for draws that need more than 24 bits).
    virtual std::uint64_t nextBits64() = 0;
};

// One splitmix64 step: advances `state` and returns its mixed output
// (0xE220A8397B1DCDAF for state 0). Seeds the generator and mixes clock seeds.
std::uint64_t splitMix64(std::uint64_t& state);

// The system's generator: xoshiro256** seeded through splitmix64. The same
// seed gives the same stream on every machine.
class DefaultRandomStream final : public RandomStream {
public:
    explicit DefaultRandomStream(std::uint64_t seed = 0) { reseed(seed); }
    void reseed(std::uint64_t seed);
    // Sets the four state words directly (they must not all be zero), so the
    // generator can be checked against known sequences.
    void setState(std::uint64_t s0, std::uint64_t s1, std::uint64_t s2, std::uint64_t s3);
    float nextSingle() override;
    std::size_t nextSingles(float* out, std::size_t count) override;
    std::uint64_t nextBits64() override;

private:
    std::uint64_t m_s[4] = {};
};

}  // namespace velmora
