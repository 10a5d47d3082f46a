#pragma once

#include <string_view>

namespace velmora {

enum class NumberParse {
    Number,      // a number text; value holds the nearest single
    NotNumber,   // not a number text by the grammar below; value untouched
    OutOfRange,  // a number text whose magnitude is beyond the single range
};

// The number grammar of a data field: after removing blanks, tabs and line
// feeds at both ends, an optional sign, digits with at most one "." (at least
// one digit), then optionally "E"/"e", an optional sign and one or more
// digits. Converted straight to the nearest single (no double rounding).
// Values too small for a single become the nearest single (0 or subnormal).
NumberParse textToSingle(std::string_view text, float& value);

// The field without the white space the grammar removes at both ends
// (blanks, tabs and line feeds); the missing codes NA and NaN are recognised
// after the same trimming.
std::string_view trimFieldBlanks(std::string_view text);

// The same, and for a number text in range also its nearest double in
// `written`: the value as written, which the import keeps for variables
// whose singles cannot hold their values.
NumberParse textToSingleAndDouble(std::string_view text, float& value, double& written);

}  // namespace velmora
