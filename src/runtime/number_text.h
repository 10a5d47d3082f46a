#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

// Number text rules; the printed digits are part of the contract.
// Rule 1: decimal digits, a leading "-" when negative, nothing else.
std::string integerText(std::int64_t value);
// Rule 2: a single rounded to 7 significant digits, general form, trailing
// zeros and a bare point dropped, "0." before a fraction, "0" for either zero;
// exponent form ("1.234568E+07", "1E-05") from 1E+07 on and below 1E-04.
std::string singleText(float value);
// Rule 3: as rule 2 with 15 significant digits and the large exponent form from 1E+15 on.
// The form (plain or exponent) is chosen on the value after rounding to the
// significant digits. A NaN prints "NaN", the infinities "Inf" and "-Inf".
std::string doubleText(double value);

// Rule 4, the fit to a cell of `width` characters: `text`, the rule 1, 2 or 3
// text of `value`, when it has at most `width` characters; otherwise, for a
// magnitude of 1 or more whose whole part with its sign fits, `value` in
// fixed notation with as many decimals as fit ("100000.5", "12345678");
// otherwise `value` in the exponent form of rule 2 ("-1.23E+08", "1.701E+38")
// with as many significant digits as fit in `width`. Either way the digits
// are rounded once from `value` (exact half to even) with trailing zeros
// dropped, so a number is never cut short. One digit is the fewest, so a
// width below "-1E+08" is exceeded rather than cut.
std::string fittedText(double value, std::string text, std::size_t width);

}  // namespace velmora
