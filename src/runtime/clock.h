#pragma once

#include <cstdint>

namespace velmora {

// Seconds elapsed since an arbitrary origin; never decreases (midnight included).
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual double elapsedSeconds() const = 0;
};

// Wall-clock time, used only to seed the random stream.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual std::uint64_t nowNanoseconds() const = 0;
};

class SystemMonotonicClock final : public MonotonicClock {
public:
    double elapsedSeconds() const override;
};

class SystemWallClock final : public WallClock {
public:
    std::uint64_t nowNanoseconds() const override;
};

// A seed drawn from the wall clock (mixed so that close times give unrelated seeds).
std::uint64_t seedFromClock(const WallClock& clock);

}  // namespace velmora
