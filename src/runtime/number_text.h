#pragma once

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

}  // namespace velmora
