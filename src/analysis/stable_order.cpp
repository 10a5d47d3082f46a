#include "analysis/stable_order.h"

#include <array>
#include <bit>
#include <cassert>
#include <cmath>

namespace velmora {

namespace {

struct Keyed {
    std::uint64_t key;
    std::uint32_t index;
};

// Unsigned keys in the order of the values: the sign bit flipped for a
// positive value, every bit for a negative one (-0 taken as +0).
std::uint64_t orderedKey(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x == 0.0 ? 0.0 : x);
    return bits >> 63 != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

constexpr int kDigitBits = 11;
constexpr int kDigits = (64 + kDigitBits - 1) / kDigitBits;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

}  // namespace

std::vector<std::uint32_t> StableAscendingOrder(std::span<const double> values) {
    const std::size_t n = values.size();
    std::vector<Keyed> from(n);
    std::vector<Keyed> to(n);
    // Every digit's counts in one pass over the keys.
    std::vector<std::array<std::uint32_t, kBuckets>> counts(kDigits);
    for (auto& digit : counts) digit.fill(0);
    for (std::size_t k = 0; k < n; ++k) {
        assert(std::isfinite(values[k]));
        const std::uint64_t key = orderedKey(values[k]);
        from[k] = {key, static_cast<std::uint32_t>(k)};
        for (int d = 0; d < kDigits; ++d) ++counts[d][(key >> (d * kDigitBits)) & (kBuckets - 1)];
    }
    // Least significant digit first, each pass stable; a digit all keys
    // share moves nothing and is skipped.
    for (int d = 0; d < kDigits; ++d) {
        std::array<std::uint32_t, kBuckets>& count = counts[d];
        const int shift = d * kDigitBits;
        if (n == 0 || count[(from[0].key >> shift) & (kBuckets - 1)] == n) continue;
        std::uint32_t start = 0;
        for (std::uint32_t& c : count) {
            const std::uint32_t size = c;
            c = start;
            start += size;
        }
        for (const Keyed& item : from) to[count[(item.key >> shift) & (kBuckets - 1)]++] = item;
        from.swap(to);
    }
    std::vector<std::uint32_t> order(n);
    for (std::size_t r = 0; r < n; ++r) order[r] = from[r].index;
    return order;
}

}  // namespace velmora
