// The exact arithmetic behind the accurate statistics against GMP and MPFR:
// the checks of tests/support/exact_checks.h with their inputs drawn from the
// fuzzer's bytes instead of at random. The last byte picks what is checked
// (ExactInteger's operations, quotients rounded to single or to double, sums
// of singles with their means and variances, splitSingle); the checks then
// take 8 bytes at a time from the end for every choice they make, until the
// bytes run out. A difference from the reference aborts with the input named.

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    ByteDraws draws(bytes);
    const int what = bytes.ConsumeIntegralInRange(0, 4);
    mpz_class z = what == 0 ? draws.number(oracle::kExactBits - 1) : mpz_class();
    ExactInteger e = oracle::exactFrom(z);
    ExactSums sums;
    const auto check = [&]() -> oracle::Mismatch {
        switch (what) {
            case 0:
                return oracle::checkIntegerStep(e, z, draws);
            case 1:
                return oracle::checkQuotient<float>(draws);
            case 2:
                return oracle::checkQuotient<double>(draws);
            case 3:
                return oracle::checkSums(sums, draws);
            default: {
                const auto b = bytes.ConsumeIntegral<std::uint32_t>();
                const float x = std::bit_cast<float>(b);
                return oracle::checkSplit(std::isfinite(x) ? x
                                                           : std::bit_cast<float>(b & 0xFF7FFFFFu));
            }
        }
    };
    oracle::Mismatch mismatch;
    while (!mismatch && bytes.remaining_bytes() > 0) mismatch = check();
    if (mismatch) {
        std::fprintf(stderr, "differs from GMP and MPFR: %s\n", mismatch->c_str());
        std::abort();
    }
    return 0;
}
