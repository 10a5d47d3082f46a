#pragma once

#include <cstdint>

#include "runtime/clock.h"

namespace velmora::testing {

// A monotonic clock that advances by `step` seconds every time it is read.
class FakeMonotonicClock final : public MonotonicClock {
public:
    explicit FakeMonotonicClock(double start = 0.0, double step = 0.01) : m_now(start), m_step(step) {}
    double elapsedSeconds() const override {
        const double t = m_now;
        m_now += m_step;
        ++reads;
        return t;
    }
    void advance(double seconds) { m_now += seconds; }
    mutable int reads = 0;

private:
    mutable double m_now;
    double m_step;
};

class FakeWallClock final : public WallClock {
public:
    explicit FakeWallClock(std::uint64_t ns = 0) : now(ns) {}
    std::uint64_t nowNanoseconds() const override { return now; }
    std::uint64_t now;
};

}  // namespace velmora::testing
