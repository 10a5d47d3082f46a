// The number grammar of a data field over arbitrary bytes: textToSingle, and the
// import's in-place scanner reading the same text as the fields of a line, are
// held against a literal reading of the grammar and std::from_chars's nearest
// float of the trimmed text.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/delimited_import.h"
#include "data/file_kind.h"
#include "runtime/text_to_single.h"

namespace {

using velmora::ImportStatus;
using velmora::NumberParse;

[[noreturn]] void fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

std::string_view trim(std::string_view t) {
    while (!t.empty() && isTrimmed(t.front())) t.remove_prefix(1);
    while (!t.empty() && isTrimmed(t.back())) t.remove_suffix(1);
    return t;
}

// Sign, digits with at most one point (one digit at least), then an optional
// exponent letter, sign and one or more digits; nothing else.
bool isNumberText(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    int digits = 0;
    int points = 0;
    for (; i < t.size() && (isDigit(t[i]) || t[i] == '.'); ++i) {
        if (t[i] == '.' && ++points > 1) return false;
        if (t[i] != '.') ++digits;
    }
    if (digits == 0) return false;
    if (i == t.size()) return true;
    if (t[i] != 'e' && t[i] != 'E') return false;
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (i == t.size()) return false;
    for (; i < t.size(); ++i)
        if (!isDigit(t[i])) return false;
    return true;
}

struct Expected {
    NumberParse kind = NumberParse::NotNumber;
    float value = 0.0f;
};

Expected expectedOf(std::string_view raw) {
    std::string_view t = trim(raw);
    if (!isNumberText(t)) return {};
    if (t.front() == '+') t.remove_prefix(1);  // from_chars takes no "+"
    float v = 0.0f;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ptr != t.data() + t.size()) fail("from_chars stopped inside a number text", raw);
    if (r.ec == std::errc{}) return {NumberParse::Number, v};
    if (r.ec != std::errc::result_out_of_range) fail("from_chars refused a number text", raw);
    // from_chars leaves the value alone both when it rounds to zero and when it
    // is beyond the range; strtof tells them apart (0 or infinity).
    const float w = std::strtof(std::string(t).c_str(), nullptr);
    if (std::isinf(w)) return {NumberParse::OutOfRange, 0.0f};
    return {NumberParse::Number, w};
}

// The missing codes: ".", empty, one blank, and NA or NaN with the blanks,
// tabs and line feeds around them.
bool isMissingField(std::string_view f) {
    if (f.empty() || f == "." || f == " ") return true;
    const std::size_t first = f.find_first_not_of(" \t\n");
    const std::size_t last = f.find_last_not_of(" \t\n");
    const std::string_view core =
        first == std::string_view::npos ? std::string_view{} : f.substr(first, last - first + 1);
    return core == "NA" || core == "NaN";
}

bool sameSingle(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// The text as the two fields of one comma-delimited line, through the import.
void checkImportedLine(std::string_view raw, const Expected& expected) {
    const std::string line = std::string(raw) + "," + std::string(raw);
    velmora::DataSet data;
    const velmora::ImportResult r = velmora::importDelimitedText(line, ',', data);
    // Bytes that are no text (a NUL, an archive's or a data file's signature)
    // are refused as a whole before any field is read.
    if (velmora::fileKindOf(line) != velmora::FileKind::Text) {
        if (r.status != ImportStatus::NotText && r.status != ImportStatus::OpenFailed)
            fail("import read bytes that are no text as fields", raw);
        return;
    }
    if (expected.kind == NumberParse::OutOfRange) {
        if (r.status != ImportStatus::NumberOutOfRange || r.row != 1 || r.column != 1)
            fail("import missed a number beyond the range", raw);
        return;
    }
    if (expected.kind == NumberParse::NotNumber && !isMissingField(raw)) {
        if (r.status != ImportStatus::InvalidEntry || r.row != 1 || r.column != 1)
            fail("import took an invalid field", raw);
        return;
    }
    const float cell =
        expected.kind == NumberParse::Number ? expected.value : velmora::MISSING_VALUE;
    if (r.status != ImportStatus::Completed || data.g_lngNumCases != 1 ||
        data.g_lngNumVariables != 2)
        fail("import did not complete a line of two good fields", raw);
    if (!sameSingle(data.cell(1, 1), cell) || !sameSingle(data.cell(1, 2), cell))
        fail("import stored another value", raw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes), size);
    const Expected expected = expectedOf(raw);

    float value = 42.0f;
    const NumberParse kind = velmora::textToSingle(raw, value);
    if (kind != expected.kind) fail("textToSingle classified the text otherwise", raw);
    if (kind == NumberParse::Number && !sameSingle(value, expected.value))
        fail("textToSingle gave another single", raw);
    if (kind != NumberParse::Number && !sameSingle(value, 42.0f))
        fail("textToSingle wrote a value for a text that is no number", raw);

    // Within one line a field holds no line end and no delimiter; a UTF-8
    // byte-order mark at the start of the line would be skipped in the first
    // field only (fuzz_import checks that); a field that starts with a quote
    // follows the quoting rules, not the number grammar alone.
    if (raw.find_first_of(",\r\n\"") == std::string_view::npos && !raw.starts_with("\xEF\xBB\xBF"))
        checkImportedLine(raw, expected);
    return 0;
}
