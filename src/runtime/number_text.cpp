#include "runtime/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace velmora {

namespace {

// Writes `magnitude` (finite, > 0) with `digits` significant digits. The
// decision between plain and exponent form is taken on the value after
// rounding, so 9.9999999e-05 (which rounds to 1E-04) prints as "0.0001" and
// a value that rounds up to 10^largeFrom prints in exponent form.
std::string generalText(double magnitude, int digits, int largeFrom) {
    // The scientific form of to_chars is correctly rounded from the exact
    // binary value, so the digits and the decimal exponent come out of one
    // rounding step: "1.234568e+07".
    char buffer[32];
    const char* const end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                          std::chars_format::scientific, digits - 1)
                                .ptr;
    const std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = written.find('e');
    std::string mantissa(written.substr(0, e));  // the significant digits, point removed
    std::erase(mantissa, '.');
    int exponent = 0;
    std::from_chars(buffer + e + (written[e + 1] == '+' ? 2 : 1), end, exponent);

    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

    std::string text;
    if (exponent >= largeFrom || exponent < -4) {
        text.push_back(mantissa[0]);
        if (mantissa.size() > 1) {
            text.push_back('.');
            text.append(mantissa, 1, std::string::npos);
        }
        text.push_back('E');
        text.push_back(exponent < 0 ? '-' : '+');
        const std::string expDigits = std::to_string(std::abs(exponent));
        if (expDigits.size() < 2) text.push_back('0');
        text += expDigits;
    } else if (exponent >= 0) {
        const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= intDigits) {
            text = mantissa;
            text.append(intDigits - mantissa.size(), '0');
        } else {
            text.assign(mantissa, 0, intDigits);
            text.push_back('.');
            text.append(mantissa, intDigits, std::string::npos);
        }
    } else {
        text = "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += mantissa;
    }
    return text;
}

std::string numberText(double value, int digits, int largeFrom) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0.0) return "0";  // negative zero too: no "-0"
    const std::string body = generalText(std::fabs(value), digits, largeFrom);
    return value < 0 ? "-" + body : body;
}

}  // namespace

std::string integerText(std::int64_t value) {
    return std::to_string(value);
}

std::string singleText(float value) {
    // Widening to double is exact, so the 7 digits are rounded from the
    // float's own binary value.
    return numberText(static_cast<double>(value), 7, 7);
}

std::string doubleText(double value) {
    return numberText(value, 15, 15);
}

}  // namespace velmora
