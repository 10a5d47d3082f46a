#include "option_values.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "runtime/text_to_single.h"

namespace velmora::batch::cli {

std::optional<std::uint64_t> wholeNumber(std::string_view text, std::uint64_t max) {
    std::uint64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || value > max) return std::nullopt;
    return value;
}

std::optional<std::int32_t> columnNumber(std::string_view text) {
    const auto v = wholeNumber(text, std::numeric_limits<std::int32_t>::max());
    if (!v || *v == 0) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::string inQuotes(std::string_view text) {
    return "'" + std::string(text) + "'";
}

Setter choice(std::string option, std::string allowed,
              std::vector<std::pair<std::string, std::function<void(BatchOptions&)>>> choices) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        for (const auto& [text, apply] : choices) {
            if (value == text) {
                apply(o);
                return std::nullopt;
            }
        }
        return option + " must be " + allowed + ", not " + inQuotes(value);
    };
}

Setter fileName(std::string option, std::string BatchOptions::*target) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        if (value.empty()) return option + " needs a file name";
        o.*target = value;
        return std::nullopt;
    };
}

namespace {

// What may name a variable of a header line: a text that is not a number
// (no number is ever a name, so "0" and "-1" stay refused).
bool mayBeName(std::string_view text) {
    float ignored = 0.0f;
    return !text.empty() && textToSingle(text, ignored) == NumberParse::NotNumber;
}

}  // namespace

Setter column(std::string option, std::optional<std::int32_t> BatchOptions::*target,
              std::string BatchOptions::*name) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        if (const auto c = columnNumber(value)) {
            o.*target = *c;
        } else if (mayBeName(value)) {
            o.*name = value;
        } else {
            return option + " must be a column number from 1, not " + inQuotes(value);
        }
        return std::nullopt;
    };
}

Setter number(std::string option, std::uint64_t low, std::uint64_t high,
              std::function<void(std::uint64_t, BatchOptions&)> apply) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        const auto n = wholeNumber(value, high);
        if (!n || *n < low)
            return option + " must be a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ", not " + inQuotes(value);
        apply(*n, o);
        return std::nullopt;
    };
}

}  // namespace velmora::batch::cli
