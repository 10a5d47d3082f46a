#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

// The fields between the occurrences of a one-character delimiter, in order,
// handed one by one to `onField(std::string_view)`, without allocating. Two
// delimiters in a row give an empty field; an empty text gives no field.
// Stops early when onField returns false. Returns the field count visited.
template <class OnField>
std::size_t forEachField(std::string_view text, char delimiter, OnField&& onField) {
    if (text.empty()) return 0;
    std::size_t count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(delimiter, start);
        const std::string_view field =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        ++count;
        if (!onField(field)) return count;
        if (end == std::string_view::npos) return count;
        start = end + 1;
    }
}

}  // namespace velmora
