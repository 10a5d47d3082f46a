#include "runtime/clock.h"

#include <chrono>

#include "runtime/random_stream.h"

namespace velmora {

namespace {

std::chrono::steady_clock::time_point processOrigin() {
    // Set on the first reading; the steady clock never goes back, unlike the
    // time of day, which falls to zero at midnight.
    static const std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
    return origin;
}

}  // namespace

double SystemMonotonicClock::elapsedSeconds() const {
    const auto elapsed = std::chrono::steady_clock::now() - processOrigin();
    return std::chrono::duration<double>(elapsed).count();
}

std::uint64_t SystemWallClock::nowNanoseconds() const {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count());
}

std::uint64_t seedFromClock(const WallClock& clock) {
    // Runs started a moment apart have nearly equal times; one splitmix64
    // step turns them into unrelated seeds.
    std::uint64_t state = clock.nowNanoseconds();
    return splitMix64(state);
}

}  // namespace velmora
