#include "runtime/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velmora {

namespace {

// The general form of to_chars is printf's "%.{digits}g": the digits are
// correctly rounded from the exact binary value, trailing zeros and a bare
// point dropped, and the form is chosen on the value after that rounding
// (exponent form below 1E-04 and from 10^digits on), so 9.9999999e-05 (which
// rounds to 1E-04) prints as "0.0001" and a value that rounds up to
// 10^digits in exponent form. The exponent has at least two digits.
std::string numberText(double value, int digits) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0.0) return "0";  // negative zero too: no "-0"
    char buffer[32];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    std::string text(buffer, written.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}

}  // namespace

std::string integerText(std::int64_t value) {
    return std::to_string(value);
}

std::string singleText(float value) {
    // Widening to double is exact, so the 7 digits are rounded from the
    // float's own binary value.
    return numberText(static_cast<double>(value), 7);
}

std::string doubleText(double value) {
    return numberText(value, 15);
}

}  // namespace velmora
