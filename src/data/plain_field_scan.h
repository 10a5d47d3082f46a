#pragma once

#include <string_view>

#include "runtime/line_reader.h"
#include "runtime/number_scan.h"
#include "runtime/text_to_single.h"

// What a field of a plain text is, as the readings that walk its bytes in
// place see it. Inline: they run once per field, at the import's full speed.
namespace velmora::importing {

// A delimiter the number scanner could take as part of a number ("1.5" cut at
// ".") must not be found by scanning for a number first.
inline bool isNumberChar(char c) {
    return detail::isAsciiDigit(c) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
}

// "NA" is R's missing code, "NaN" the one of pandas and of most numeric
// libraries; both are taken after the trimming numbers get.
inline bool isMissingField(std::string_view field) {
    if (field.empty() || field == "." || field == " ") return true;
    const std::string_view trimmed = trimFieldBlanks(field);
    return trimmed == "NA" || trimmed == "NaN";
}

// Whether a number scanned in place is its whole field: it ends at the
// delimiter, a line end or the end of the text.
inline bool isWholeField(const detail::DecimalScan& scan, const char* end, char delimiter) {
    return scan.complete &&
           (scan.stop == end || *scan.stop == delimiter || isLineEndChar(*scan.stop));
}

// The end of the field starting at p: the first delimiter or line end, or the end.
inline const char* findFieldEnd(const char* p, const char* end, char delimiter) {
    while (p != end && *p != delimiter && !isLineEndChar(*p)) ++p;
    return p;
}

}  // namespace velmora::importing
