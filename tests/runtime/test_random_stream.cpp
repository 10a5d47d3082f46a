#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "runtime/random_stream.h"

namespace velmora {
namespace {

TEST(SplitMix64, FirstOutputsFromStateZeroAreTheKnownSequence) {
    std::uint64_t state = 0;
    EXPECT_EQ(splitMix64(state), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(splitMix64(state), 0x6E789E6AA1B965F4ULL);
    EXPECT_EQ(splitMix64(state), 0x06C45D188009454FULL);
    EXPECT_EQ(splitMix64(state), 0xF88BB8A8724C81ECULL);
    // The state advances by the golden-ratio increment on every step.
    EXPECT_EQ(state, 4 * 0x9E3779B97F4A7C15ULL);
}

TEST(DefaultRandomStream, FollowsXoshiro256StarStarFromAGivenState) {
    // From state {1, 2, 3, 4}, worked through by hand: the output is
    // rotl(s1 * 5, 7) * 9, so 2 -> 10 -> 1280 -> 11520; the update then
    // leaves s1 = 0, then s1 = 262149 (-> 1509978240).
    DefaultRandomStream stream;
    stream.setState(1, 2, 3, 4);
    EXPECT_EQ(stream.nextBits64(), 11520u);
    EXPECT_EQ(stream.nextBits64(), 0u);
    EXPECT_EQ(stream.nextBits64(), 1509978240u);
    EXPECT_EQ(stream.nextBits64(), 1215971899390074240ULL);
}

TEST(DefaultRandomStream, SeedFillsTheStateWithSplitMixOutputs) {
    DefaultRandomStream seeded(0);
    DefaultRandomStream manual;
    manual.setState(0xE220A8397B1DCDAFULL, 0x6E789E6AA1B965F4ULL, 0x06C45D188009454FULL,
                    0xF88BB8A8724C81ECULL);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(seeded.nextBits64(), manual.nextBits64()) << i;
}

TEST(DefaultRandomStream, SameSeedGivesSameStreamAndReseedRestarts) {
    DefaultRandomStream a(12345);
    DefaultRandomStream b(12345);
    std::uint64_t first[8];
    for (auto& v : first) {
        v = a.nextBits64();
        ASSERT_EQ(v, b.nextBits64());
    }
    a.nextSingle();
    a.reseed(12345);
    for (auto v : first) EXPECT_EQ(a.nextBits64(), v);
}

TEST(DefaultRandomStream, NeighbouringSeedsGiveDifferentStreams) {
    std::set<std::uint64_t> firsts;
    for (std::uint64_t seed = 0; seed < 100; ++seed)
        firsts.insert(DefaultRandomStream(seed).nextBits64());
    EXPECT_EQ(firsts.size(), 100u);
}

TEST(DefaultRandomStream, SinglesAreMultiplesOfTwoToTheMinus24InUnitInterval) {
    DefaultRandomStream stream(7);
    for (int i = 0; i < 10000; ++i) {
        const float u = stream.nextSingle();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        const float scaled = u * 16777216.0f;
        ASSERT_EQ(scaled, static_cast<float>(static_cast<std::int64_t>(scaled))) << u;
    }
}

TEST(DefaultRandomStream, SingleIsTheTop24BitsOfTheNextOutput) {
    // State {1, 2, 3, 4}: the fourth output is 1215971899390074240, whose top
    // 24 bits (>> 40) are 1105920, i.e. 1105920 / 2^24 = 0.06591796875.
    DefaultRandomStream stream;
    stream.setState(1, 2, 3, 4);
    EXPECT_EQ(stream.nextSingle(), 0.0f);  // 11520 >> 40 is 0
    EXPECT_EQ(stream.nextSingle(), 0.0f);
    EXPECT_EQ(stream.nextSingle(), 0.0f);  // 1509978240 < 2^40
    EXPECT_EQ(stream.nextSingle(), 0.06591796875f);
}

TEST(DefaultRandomStream, SinglesAreRoughlyUniform) {
    DefaultRandomStream stream(2024);
    constexpr int draws = 100000;
    int buckets[10] = {};
    double sum = 0.0;
    for (int i = 0; i < draws; ++i) {
        const float u = stream.nextSingle();
        sum += u;
        ++buckets[static_cast<int>(u * 10.0f)];
    }
    EXPECT_NEAR(sum / draws, 0.5, 0.01);
    // Expected 10000 each, SD about 95: 600 is over six SDs.
    for (int b = 0; b < 10; ++b) EXPECT_NEAR(buckets[b], 10000, 600) << "bucket " << b;
}

TEST(DefaultRandomStream, BlockOfSinglesContinuesTheStreamAndCountsExactZeros) {
    // State {1, 2, 3, 4} starts with three exact zeros (see above); the
    // block must equal the single-by-single stream and count them.
    DefaultRandomStream one;
    DefaultRandomStream block;
    one.setState(1, 2, 3, 4);
    block.setState(1, 2, 3, 4);
    float singles[100];
    const std::size_t zeros = block.nextSingles(singles, 100);
    std::size_t expectedZeros = 0;
    for (float u : singles) {
        const float expected = one.nextSingle();
        ASSERT_EQ(u, expected);
        expectedZeros += expected == 0.0f ? 1 : 0;
    }
    EXPECT_GE(expectedZeros, 3u);
    EXPECT_EQ(zeros, expectedZeros);
    EXPECT_EQ(block.nextBits64(), one.nextBits64());
}

}  // namespace
}  // namespace velmora
