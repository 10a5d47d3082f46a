#include "analysis/stable_order.h"

#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <type_traits>

namespace velmora {

namespace {

// Unsigned keys in the order of the values, as wide as the values: the sign
// bit flipped for a positive value, every bit for a negative one (-0 taken
// as +0).
template <typename Real>
auto orderedKey(Real x) {
    using Key = std::conditional_t<sizeof(Real) == 4, std::uint32_t, std::uint64_t>;
    constexpr int kTop = 8 * sizeof(Key) - 1;
    const auto bits = std::bit_cast<Key>(x == Real{0} ? Real{0} : x);
    return bits >> kTop != 0 ? static_cast<Key>(~bits) : static_cast<Key>(bits | Key{1} << kTop);
}

constexpr int kDigitBits = 11;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

template <typename Real>
std::vector<std::uint32_t> stableAscendingOrder(std::span<const Real> values) {
    using Key = decltype(orderedKey(Real{}));
    struct Keyed {
        Key key;
        std::uint32_t index;
    };
    constexpr int kDigits = (8 * sizeof(Key) + kDigitBits - 1) / kDigitBits;
    const std::size_t n = values.size();
    std::vector<Keyed> from(n);
    std::vector<Keyed> to(n);
    // Every digit's counts in one pass over the keys.
    std::vector<std::array<std::uint32_t, kBuckets>> counts(kDigits);
    for (auto& digit : counts) digit.fill(0);
    for (std::size_t k = 0; k < n; ++k) {
        assert(std::isfinite(values[k]));
        const Key key = orderedKey(values[k]);
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

}  // namespace

std::vector<std::uint32_t> StableAscendingOrder(std::span<const double> values) {
    return stableAscendingOrder(values);
}

std::vector<std::uint32_t> StableAscendingOrder(std::span<const float> values) {
    return stableAscendingOrder(values);
}

}  // namespace velmora
