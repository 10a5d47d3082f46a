// The exact arithmetic behind the accurate statistics against GMP and MPFR:
// the checks of tests/support/exact_checks.h with their inputs drawn from the
// fuzzer's bytes instead of at random. The last byte picks what is checked:
// the operations of the 640-bit integer (0) and of the 2560-bit one (5),
// quotients of either rounded to single (1, 6) or to double (2, 7), sums of
// singles (3) or of doubles (8) with their means and variances, and
// splitValue of a single (4) or of a double (9). The checks then take 8
// bytes at a time from the end for every choice they make, until the bytes
// run out. A difference from the reference aborts with the input named.

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/exact_checks.h"

namespace {

using namespace velmora;

class ByteDraws final : public oracle::Draws {
public:
    explicit ByteDraws(FuzzedDataProvider& bytes) : m_bytes(bytes) {}
    std::uint64_t bits() override { return m_bytes.ConsumeIntegral<std::uint64_t>(); }

private:
    FuzzedDataProvider& m_bytes;
};

// A finite value from the next bytes: a non-finite pattern is made finite by
// clearing the lowest bit of its exponent.
template <typename T, typename Bits>
T finiteValue(FuzzedDataProvider& bytes, Bits lowestExponentBit) {
    const auto b = bytes.ConsumeIntegral<Bits>();
    const T x = std::bit_cast<T>(b);
    return std::isfinite(x) ? x : std::bit_cast<T>(static_cast<Bits>(b & ~lowestExponentBit));
}

// Runs `check` until the bytes run out or it finds a difference.
template <typename Check>
oracle::Mismatch untilOut(FuzzedDataProvider& bytes, Check check) {
    oracle::Mismatch mismatch;
    while (!mismatch && bytes.remaining_bytes() > 0) mismatch = check();
    return mismatch;
}

template <int Limbs>
oracle::Mismatch integerWalk(FuzzedDataProvider& bytes, oracle::Draws& draws) {
    mpz_class z = draws.number(64 * Limbs - 1);
    BasicExactInteger<Limbs> e = oracle::exactFrom<Limbs>(z);
    return untilOut(bytes, [&] { return oracle::checkIntegerStep(e, z, draws); });
}

template <typename T, int Limbs>
oracle::Mismatch quotients(FuzzedDataProvider& bytes, oracle::Draws& draws) {
    return untilOut(bytes, [&] { return oracle::checkQuotient<T, Limbs>(draws); });
}

template <typename Real>
oracle::Mismatch sums(FuzzedDataProvider& bytes, oracle::Draws& draws) {
    BasicExactSums<Real> exact;
    return untilOut(bytes, [&] { return oracle::checkSums(exact, draws); });
}

template <typename T, typename Bits>
oracle::Mismatch splits(FuzzedDataProvider& bytes, Bits lowestExponentBit) {
    return untilOut(bytes,
                    [&] { return oracle::checkSplit(finiteValue<T>(bytes, lowestExponentBit)); });
}

oracle::Mismatch check(FuzzedDataProvider& bytes, oracle::Draws& draws) {
    constexpr int kNarrow = ExactInteger::kLimbs;
    constexpr int kWide = WideExactInteger::kLimbs;
    switch (bytes.ConsumeIntegralInRange(0, 9)) {
        case 0:
            return integerWalk<kNarrow>(bytes, draws);
        case 1:
            return quotients<float, kNarrow>(bytes, draws);
        case 2:
            return quotients<double, kNarrow>(bytes, draws);
        case 3:
            return sums<float>(bytes, draws);
        case 4:
            return splits<float>(bytes, std::uint32_t{1} << 23);
        case 5:
            return integerWalk<kWide>(bytes, draws);
        case 6:
            return quotients<float, kWide>(bytes, draws);
        case 7:
            return quotients<double, kWide>(bytes, draws);
        case 8:
            return sums<double>(bytes, draws);
        default:
            return splits<double>(bytes, std::uint64_t{1} << 52);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    ByteDraws draws(bytes);
    if (const oracle::Mismatch mismatch = check(bytes, draws)) {
        std::fprintf(stderr, "differs from GMP and MPFR: %s\n", mismatch->c_str());
        std::abort();
    }
    return 0;
}
