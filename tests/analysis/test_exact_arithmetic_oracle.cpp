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

// The quotient of a numerator that fits 128 bits: small ones (which the
// division of doubles takes), ties, results near both ends of the range, and
// quotients that a division of doubles would round twice at the top of the
// subnormal range (2 / 3 * 2^-1022 rounded to 53 bits, then to 52).
TEST(ExactArithmeticOracle, QuotientsOfMachineIntegersAreRoundedOnceAsMpfrRoundsThem) {
    const auto check = [](const mpz_class& n, bool negative, std::uint64_t d, int exponent) {
        const Uint128 value = (Uint128{mpz_class(n >> 64).get_ui()} << 64) |
                              mpz_class(n & ((mpz_class(1) << 64) - 1)).get_ui();
        const double expected = oracle::roundedQuotient<double>(
            negative ? mpz_class(-n) : n, mpz_class(static_cast<unsigned long>(d)), exponent);
        const double got = roundedQuotientToDouble(value, negative, d, exponent);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected))
            << (negative ? "-" : "") << n.get_str(16) << " / " << d << " * 2^" << exponent;
        return got == expected;
    };
    for (const int exponent : {-1022, -1021, -1023, 1023})
        for (const std::uint64_t d : {3u, 5u, 7u, 11u})
            for (unsigned long n = 1; n < 2 * d; ++n) check(n, n % 2 == 0, d, exponent);
    RandomDraws draws(2026);
    for (int i = 0; i < 200000; ++i) {
        const mpz_class numerator = draws.oneIn(2) ? draws.number(54) : draws.number(128);
        const std::uint64_t denominator =
            draws.oneIn(4) ? std::uint64_t{1} << draws.below(63)
                           : 1 + draws.below(draws.oneIn(2) ? 1000 : std::uint64_t{1} << 62);
        // A tie: an odd number of half units times the denominator.
        const std::uint64_t small = 1 + draws.below(0xFFFFFFFFu);
        const mpz_class tie = (2 * mpz_class(static_cast<unsigned long>(draws.bits() >> 10)) + 1) *
                              static_cast<unsigned long>(small);
        const bool atTie = draws.oneIn(5);
        const int exponent = draws.oneIn(3) ? static_cast<int>(draws.below(2300)) - 1200
                                            : static_cast<int>(draws.below(200)) - 100;
        if (!check(atTie ? tie : numerator, draws.oneIn(2), atTie ? small : denominator, exponent))
            break;
    }
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
