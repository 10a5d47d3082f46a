#include "runtime/text_to_single.h"

#include "runtime/number_scan.h"

namespace velmora {

namespace {

// Only these three count as white space around a number; a CR or any other
// control character makes the field something else.
bool isTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

NumberParse textToSingle(std::string_view text, float& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && isTrimmed(*first)) ++first;
    while (last != first && isTrimmed(last[-1])) --last;

    const detail::DecimalScan scan = detail::scanDecimal(first, last);
    if (!scan.complete || scan.stop != last) return NumberParse::NotNumber;
    return detail::scannedToSingle(scan, last, value);
}

}  // namespace velmora
