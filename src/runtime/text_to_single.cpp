#include "runtime/text_to_single.h"

#include "runtime/number_scan.h"

namespace velmora {

namespace {

// Only these three count as white space around a number; a CR or any other
// control character makes the field something else.
bool isTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The number text of a field without its white space, scanned; stop is
// where it ends.
detail::DecimalScan scanField(std::string_view text) {
    const std::string_view trimmed = trimFieldBlanks(text);
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    detail::DecimalScan scan = detail::scanDecimal(first, last);
    if (scan.stop != last) scan.complete = false;
    return scan;
}

}  // namespace

std::string_view trimFieldBlanks(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && isTrimmed(*first)) ++first;
    while (last != first && isTrimmed(last[-1])) --last;
    return {first, static_cast<std::size_t>(last - first)};
}

NumberParse textToSingle(std::string_view text, float& value) {
    const detail::DecimalScan scan = scanField(text);
    if (!scan.complete) return NumberParse::NotNumber;
    return detail::scannedToSingle(scan, scan.stop, value);
}

NumberParse textToSingleAndDouble(std::string_view text, float& value, double& written) {
    const detail::DecimalScan scan = scanField(text);
    if (!scan.complete) return NumberParse::NotNumber;
    const NumberParse kind = detail::scannedToSingle(scan, scan.stop, value);
    if (kind == NumberParse::Number) detail::scannedToDouble(scan, scan.stop, written);
    return kind;
}

}  // namespace velmora
