#include "runtime/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace velmora {

namespace {

// `magnitude` (finite, > 0) rounded to `digits` significant digits: the
// digits without point or trailing zeros (at least one), and the decimal
// exponent of the first.
struct RoundedDecimal {
    std::string mantissa;
    int exponent = 0;
};

RoundedDecimal roundedDecimal(double magnitude, int digits) {
    // The scientific form of to_chars is correctly rounded from the exact
    // binary value, so the digits and the decimal exponent come out of one
    // rounding step: "1.234568e+07".
    char buffer[64];
    const char* const end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                          std::chars_format::scientific, digits - 1)
                                .ptr;
    const std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = written.find('e');
    RoundedDecimal d;
    d.mantissa = std::string(written.substr(0, e));
    std::erase(d.mantissa, '.');
    std::from_chars(buffer + e + (written[e + 1] == '+' ? 2 : 1), end, d.exponent);
    while (d.mantissa.size() > 1 && d.mantissa.back() == '0') d.mantissa.pop_back();
    return d;
}

// "1.234568E+07", "1E-05": the exponent with a sign and at least two digits.
std::string exponentForm(const RoundedDecimal& d) {
    std::string text;
    text.push_back(d.mantissa[0]);
    if (d.mantissa.size() > 1) {
        text.push_back('.');
        text.append(d.mantissa, 1, std::string::npos);
    }
    text.push_back('E');
    text.push_back(d.exponent < 0 ? '-' : '+');
    const std::string expDigits = std::to_string(std::abs(d.exponent));
    if (expDigits.size() < 2) text.push_back('0');
    text += expDigits;
    return text;
}

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

// `magnitude` (finite, >= 1) in fixed notation with at most `decimals`
// decimals, correctly rounded from its binary value; trailing zeros and a
// bare point dropped as rule 2 drops them.
std::string roundedFixed(double magnitude, int decimals) {
    char buffer[400];
    const char* const end =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, decimals)
            .ptr;
    std::string text(static_cast<const char*>(buffer), end);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
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

std::string fittedText(double value, std::string text, std::size_t width) {
    if (text.size() <= width || !std::isfinite(value) || value == 0.0) return text;
    const std::string sign = value < 0 ? "-" : "";
    if (std::fabs(value) >= 1.0) {
        // Fixed notation keeps every digit of the whole part; the decimals
        // that fit after it are rounded from the value itself. A rounding that
        // carries into a new whole digit (999.96 to 1000.0) may leave the text
        // one too long, so one decimal fewer is tried before giving up.
        const std::size_t whole = sign.size() + roundedFixed(std::fabs(value), 0).size();
        for (int decimals = static_cast<int>(width) - static_cast<int>(whole) - 1;
             whole <= width && decimals >= -1; --decimals) {
            std::string fixed = sign + roundedFixed(std::fabs(value), std::max(decimals, 0));
            if (fixed.size() <= width) return fixed;
        }
    }
    // Scanning down from the most digits a width could show, the first count
    // that fits is the most that fit. Each count is rounded from the value
    // itself, not from the longer text, so no digit is rounded twice.
    for (int digits = std::max(static_cast<int>(width), 1);; --digits) {
        std::string fitted = sign + exponentForm(roundedDecimal(std::fabs(value), digits));
        if (fitted.size() <= width || digits == 1) return fitted;
    }
}

}  // namespace velmora
