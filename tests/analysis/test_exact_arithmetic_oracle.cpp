// The exact arithmetic behind the accurate statistics against GMP and MPFR
// (tests/support/exact_checks.h says which inputs are drawn).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
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

template <int Limbs>
void checkIntegerWalks(RandomDraws& draws, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        mpz_class z = draws.number(64 * Limbs - 1);
        BasicExactInteger<Limbs> e = oracle::exactFrom<Limbs>(z);
        for (int step = 0; step < 12; ++step) {
            const oracle::Mismatch mismatch = oracle::checkIntegerStep(e, z, draws);
            ASSERT_FALSE(mismatch) << Limbs << " limbs: " << *mismatch;
        }
    }
}

TEST(ExactArithmeticOracle, ExactIntegerAgreesWithGmpOnEveryOperation) {
    RandomDraws draws(20240601);
    checkIntegerWalks<ExactInteger::kLimbs>(draws, 1500);
    checkIntegerWalks<WideExactInteger::kLimbs>(draws, 400);
}

template <int Limbs>
void checkQuotients(RandomDraws& draws, int count) {
    for (int i = 0; i < count; ++i) {
        const oracle::Mismatch single = oracle::checkQuotient<float, Limbs>(draws);
        EXPECT_FALSE(single) << Limbs << " limbs: " << *single;
        const oracle::Mismatch dual = oracle::checkQuotient<double, Limbs>(draws);
        EXPECT_FALSE(dual) << Limbs << " limbs: " << *dual;
    }
}

TEST(ExactArithmeticOracle, QuotientsAreRoundedOnceAsMpfrRoundsThem) {
    RandomDraws draws(77);
    checkQuotients<ExactInteger::kLimbs>(draws, 40000);
    checkQuotients<WideExactInteger::kLimbs>(draws, 10000);
}

TEST(ExactArithmeticOracle, SumsMeansAndVariancesOfMixedBinadesAgreeWithGmpAndMpfr) {
    RandomDraws draws(5);
    ExactSums singles;
    ExactDoubleSums doubles;
    for (int set = 0; set < 4000; ++set) {
        const oracle::Mismatch single = oracle::checkSums(singles, draws);
        EXPECT_FALSE(single) << "singles: " << *single;
        const oracle::Mismatch dual = oracle::checkSums(doubles, draws);
        EXPECT_FALSE(dual) << "doubles: " << *dual;
    }
}

TEST(ExactArithmeticOracle, SplitValueWritesEverySingleAndDoubleInItsBinade) {
    // Every 65521st single bit pattern, the first of its binade and the last before that.
    for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << 32); bits += 65521) {
        const auto first = static_cast<std::uint32_t>(bits & 0xFF800000u);
        for (const std::uint32_t b : {static_cast<std::uint32_t>(bits), first, first - 1}) {
            const float x = std::bit_cast<float>(b);
            if (!std::isfinite(x)) continue;
            const oracle::Mismatch mismatch = oracle::checkSplit(x);
            ASSERT_FALSE(mismatch) << *mismatch;
        }
    }
    // Random double bit patterns of every binade, with the same neighbours.
    RandomDraws draws(2560);
    for (std::uint64_t exponent = 0; exponent < 2048; ++exponent) {
        for (int i = 0; i < 20; ++i) {
            const std::uint64_t bits = (draws.bits() & 0x800FFFFFFFFFFFFFu) | exponent << 52;
            const std::uint64_t first = bits & 0xFFF0000000000000u;
            for (const std::uint64_t b : {bits, first, first - 1}) {
                const double x = std::bit_cast<double>(b);
                if (!std::isfinite(x)) continue;
                const oracle::Mismatch mismatch = oracle::checkSplit(x);
                ASSERT_FALSE(mismatch) << *mismatch;
            }
        }
    }
}

}  // namespace
}  // namespace velmora
