#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <vector>

#include "runtime/random_stream.h"

namespace velmora::testing {

// Hands out exactly the values a test scripts and records which kind of value
// each call asked for; running dry is a test failure, not a silent default.
class ScriptedRandom final : public RandomStream {
public:
    ScriptedRandom(std::vector<float> singles, std::vector<std::uint64_t> bits = {})
        : m_singles(singles.begin(), singles.end()), m_bits(bits.begin(), bits.end()) {}

    float nextSingle() override {
        if (m_singles.empty()) throw std::logic_error("scripted singles used up");
        const float u = m_singles.front();
        m_singles.pop_front();
        ++m_singleCalls;
        return u;
    }
    std::uint64_t nextBits64() override {
        if (m_bits.empty()) throw std::logic_error("scripted bits used up");
        const std::uint64_t x = m_bits.front();
        m_bits.pop_front();
        ++m_bitsCalls;
        return x;
    }

    int singleCalls() const { return m_singleCalls; }
    int bitsCalls() const { return m_bitsCalls; }
    std::size_t singlesLeft() const { return m_singles.size(); }

private:
    std::deque<float> m_singles;
    std::deque<std::uint64_t> m_bits;
    int m_singleCalls = 0;
    int m_bitsCalls = 0;
};

// A small, fixed pseudo-random sequence for the tests (splitmix64), so they do
// not depend on the system generator. Singles are k * 2^-24, as the system
// stream gives them; every `zeroEvery`-th single is an exact 0 when asked, to
// exercise the discarded draw.
class SeededRandom final : public RandomStream {
public:
    explicit SeededRandom(std::uint64_t seed, int zeroEvery = 0)
        : m_state(seed), m_zeroEvery(zeroEvery) {}

    float nextSingle() override {
        ++m_calls;
        if (m_zeroEvery > 0 && m_calls % m_zeroEvery == 0) return 0.0f;
        return static_cast<float>(next() >> 40) * 0x1p-24f;
    }
    std::uint64_t nextBits64() override { return next(); }
    long long calls() const { return m_calls; }

private:
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t m_state;
    int m_zeroEvery;
    long long m_calls = 0;
};

}  // namespace velmora::testing
