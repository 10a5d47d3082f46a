#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "runtime/clock.h"
#include "runtime/frame_pacer.h"
#include "runtime/twips.h"
#include "support/fake_clock.h"

namespace velmora {
namespace {

TEST(SystemMonotonicClock, NeverDecreasesAndMeasuresSleeps) {
    SystemMonotonicClock clock;
    const double start = clock.elapsedSeconds();
    EXPECT_GE(start, 0.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double later = clock.elapsedSeconds();
    EXPECT_GE(later - start, 0.045);
    EXPECT_LT(later - start, 5.0);
    // A second instance reads the same time line.
    EXPECT_GE(SystemMonotonicClock().elapsedSeconds(), later);
}

TEST(SystemWallClock, ReadsNanosecondsSinceTheEpoch) {
    const std::uint64_t ns = SystemWallClock().nowNanoseconds();
    const std::uint64_t year2020 = 1577836800ULL * 1000000000ULL;  // 2020-01-01T00:00:00Z
    const std::uint64_t year2200 = 7258118400ULL * 1000000000ULL;  // 2200-01-01T00:00:00Z
    EXPECT_GT(ns, year2020);
    EXPECT_LT(ns, year2200);
}

TEST(SeedFromClock, MixesTheTimeWithOneSplitMixStep) {
    // splitmix64's first output for state 0.
    EXPECT_EQ(seedFromClock(testing::FakeWallClock(0)), 0xE220A8397B1DCDAFULL);
    const testing::FakeWallClock clock(1700000000123456789ULL);
    EXPECT_EQ(seedFromClock(clock), seedFromClock(clock));
}

TEST(SeedFromClock, CloseTimesGiveUnrelatedSeeds) {
    const std::uint64_t t = 1700000000123456789ULL;
    for (std::uint64_t d = 1; d <= 16; ++d) {
        const std::uint64_t a = seedFromClock(testing::FakeWallClock(t));
        const std::uint64_t b = seedFromClock(testing::FakeWallClock(t + d));
        // Unrelated 64-bit words differ in about 32 bits.
        EXPECT_GE(std::popcount(a ^ b), 12) << d;
    }
}

struct PacerCase {
    const char* name;
    double secondsPerReading;
    std::vector<std::int32_t> drawn;
};

TEST(FramePacer, DrawsTheFirstAtMostOncePerFrameAndAlwaysTheLast) {
    const PacerCase cases[] = {
        // Readings 5 ms apart: 0, 20 and 40 ms are 16 ms or more after the last draw.
        {"5 ms a report", 0.005, {1, 5, 9, 10}},
        {"a frame or more a report", 0.02, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"clock standing still", 0.0, {1, 10}},
    };
    for (const PacerCase& c : cases) {
        testing::FakeMonotonicClock clock(100.0, c.secondsPerReading);
        FramePacer pacer(clock, 10);
        std::vector<std::int32_t> drawn;
        for (std::int32_t t = 1; t <= 10; ++t)
            if (pacer.due(t)) drawn.push_back(t);
        EXPECT_EQ(drawn, c.drawn) << c.name;
        EXPECT_EQ(clock.reads, 10) << c.name;
    }
}

struct TwipsCase {
    int twips;
    double dpi;
    int pixels;
};

TEST(TwipsToPixels, ConvertsAt1440TwipsPerInchRoundedToNearest) {
    const TwipsCase cases[] = {
        {1440, 96.0, 96}, {11880, 96.0, 792}, {0, 96.0, 0},       {15, 96.0, 1},      {7, 96.0, 0},
        {8, 96.0, 1},     {100, 96.0, 7},     {1440, 120.0, 120}, {1440, 144.0, 144}, {30, 72.0, 2},
        {-30, 72.0, -2},  {-1440, 96.0, -96}, {2880, 192.0, 384}, {9000, 96.0, 600},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
}

TEST(PixelsToTwips, ConvertsBackRoundedToNearest) {
    const TwipsCase cases[] = {
        {1440, 96.0, 96}, {11880, 96.0, 792}, {15, 96.0, 1}, {12, 120.0, 1},
        {10, 144.0, 1},   {13, 110.0, 1},     {0, 96.0, 0},  {-150, 96.0, -10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pixelsToTwips(c.pixels, c.dpi), c.twips) << c.pixels << " at " << c.dpi;
    }
}

}  // namespace
}  // namespace velmora
