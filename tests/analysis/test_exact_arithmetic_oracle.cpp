// The exact arithmetic behind the accurate statistics against GMP and MPFR
// (tests/support/exact_checks.h says which inputs are drawn).

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

#include "support/exact_checks.h"

namespace velmora {
namespace {

class RandomDraws final : public oracle::Draws {
public:
    explicit RandomDraws(std::uint64_t seed) : m_random(seed) {}
    std::uint64_t bits() override { return m_random(); }

private:
    std::mt19937_64 m_random;
};

TEST(ExactArithmeticOracle, ExactIntegerAgreesWithGmpOnEveryOperation) {
    RandomDraws draws(20240601);
    for (int round = 0; round < 1500; ++round) {
        mpz_class z = draws.number(oracle::kExactBits - 1);
        ExactInteger e = oracle::exactFrom(z);
        for (int step = 0; step < 12; ++step) {
            const oracle::Mismatch mismatch = oracle::checkIntegerStep(e, z, draws);
            ASSERT_FALSE(mismatch) << *mismatch;
        }
    }
}

TEST(ExactArithmeticOracle, QuotientsAreRoundedOnceAsMpfrRoundsThem) {
    RandomDraws draws(77);
    for (int i = 0; i < 40000; ++i) {
        const oracle::Mismatch single = oracle::checkQuotient<float>(draws);
        EXPECT_FALSE(single) << *single;
        const oracle::Mismatch dual = oracle::checkQuotient<double>(draws);
        EXPECT_FALSE(dual) << *dual;
    }
}

TEST(ExactArithmeticOracle, SumsMeansAndVariancesOfMixedBinadesAgreeWithGmpAndMpfr) {
    RandomDraws draws(5);
    ExactSums sums;
    for (int set = 0; set < 4000; ++set) {
        const oracle::Mismatch mismatch = oracle::checkSums(sums, draws);
        EXPECT_FALSE(mismatch) << *mismatch;
    }
}

TEST(ExactArithmeticOracle, SplitSingleWritesEverySingleInItsBinade) {
    // Every 65521st bit pattern, the first of its binade and the last before that.
    for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << 32); bits += 65521) {
        const auto first = static_cast<std::uint32_t>(bits & 0xFF800000u);
        for (const std::uint32_t b : {static_cast<std::uint32_t>(bits), first, first - 1}) {
            const float x = std::bit_cast<float>(b);
            if (!std::isfinite(x)) continue;
            const oracle::Mismatch mismatch = oracle::checkSplit(x);
            ASSERT_FALSE(mismatch) << *mismatch;
        }
    }
}

}  // namespace
}  // namespace velmora
