#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace velmora {

// How often each pair was drawn in one trial. A byte per pair holds any
// likely count; a pair drawn more than 255 times keeps 255 there and the rest
// in the map.
using ExtraDraws = std::unordered_map<std::uint32_t, std::uint32_t>;

// One more draw of pair k.
inline void countDraw(std::uint8_t* count, ExtraDraws& extra, std::uint32_t k) {
    if (count[k] == 255) [[unlikely]] {
        ++extra[k];
        return;
    }
    ++count[k];
}

// How often pair k was drawn.
inline std::size_t drawsOf(const std::uint8_t* count, const ExtraDraws& extra, std::uint32_t k) {
    const std::size_t c = count[k];
    if (c == 255) [[unlikely]] {
        const auto more = extra.find(k);
        return more == extra.end() ? c : c + more->second;
    }
    return c;
}

// Counting a trial's draws jumps to a random pair at every draw. Below this
// many pairs the counts (and the singles' pairs) stay in the nearer caches
// and the processor keeps up unaided; beyond it every draw would wait on
// memory, so the counts and pairs of later draws are fetched ahead.
inline constexpr std::size_t kPrefetchFromPairs = std::size_t{1} << 15;
// Draws ahead fetched into the outer cache: far enough that a fetch from
// memory has ended by the time its draw is counted.
inline constexpr std::size_t kFarAhead = 128;
// Draws ahead fetched again into the nearest cache, close enough that the
// line is still there when its draw comes.
inline constexpr std::size_t kNearAhead = 16;

}  // namespace velmora
