#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch_options.h"

// The checks an option's value passes before it sets the batch options.
namespace velmora::batch::cli {

// Plain decimal digits only: no sign, no blanks, no exponent. Nullopt when the
// text is not such a number or exceeds `max`.
std::optional<std::uint64_t> wholeNumber(std::string_view text, std::uint64_t max);

// A column number: a whole number from 1 that a 32-bit count holds.
std::optional<std::int32_t> columnNumber(std::string_view text);

// Not "quoted": argument-dependent lookup would find std::quoted for a std::string.
std::string inQuotes(std::string_view text);

// How a value sets its option; an error text when the value is refused.
using Setter = std::function<std::optional<std::string>(const std::string&, BatchOptions&)>;

// One of the texts of `choices`, each applying its own setting; `allowed`
// lists them for the refusal.
Setter choice(std::string option, std::string allowed,
              std::vector<std::pair<std::string, std::function<void(BatchOptions&)>>> choices);

// A file name, which may not be empty.
Setter fileName(std::string option, std::string BatchOptions::*target);

// A column number, or else the name a header line may give the variable.
Setter column(std::string option, std::optional<std::int32_t> BatchOptions::*target,
              std::string BatchOptions::*name);

// A whole number from `low` to `high`.
Setter number(std::string option, std::uint64_t low, std::uint64_t high,
              std::function<void(std::uint64_t, BatchOptions&)> apply);

}  // namespace velmora::batch::cli
