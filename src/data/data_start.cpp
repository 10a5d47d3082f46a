#include "data/data_start.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "runtime/line_reader.h"
#include "runtime/text_encoding.h"
#include "runtime/text_to_single.h"

namespace velmora::importing {

namespace {

// A missing code once the field's blanks are removed: such a field is no name.
bool isMissingCode(std::string_view trimmed) {
    return trimmed.empty() || trimmed == "." || trimmed == "NA" || trimmed == "NaN";
}

// A field of line 1 as a name, or nullopt when it is none: a quoted field
// names what its quotes held, unless that is empty; any other field, without
// its blanks and without one pair of double quotes around it, names that
// text unless it is a number or a missing code.
std::optional<std::string> nameOfField(const TokenField& field) {
    std::string_view name = trimFieldBlanks(field.text);
    if (!field.quoted) {
        float ignored = 0.0f;
        if (isMissingCode(name) || textToSingle(name, ignored) != NumberParse::NotNumber)
            return std::nullopt;
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
    }
    if (name.empty()) return std::nullopt;
    return utf8OrLatin1(name);
}

}  // namespace

LineOne readLineOne(const std::vector<TokenField>& fields, std::size_t count) {
    LineOne one;
    if (count == 0 || count > static_cast<std::size_t>(MAX_VARIABLES)) return one;
    const bool firstEmpty = trimFieldBlanks(fields[0].text).empty();
    std::vector<std::string> names;
    for (std::size_t k = firstEmpty && count >= 2 ? 1 : 0; k < count; ++k) {
        std::optional<std::string> name = nameOfField(fields[k]);
        if (!name) return one;
        names.push_back(std::move(*name));
    }
    one.rowNamesMarked = firstEmpty && count >= 2;
    one.names = std::move(names);
    return one;
}

LineOne readLineOne(std::string_view line, char delimiter) {
    FieldTokenizer tokenizer(line, delimiter);
    if (!tokenizer.next()) return {};
    return readLineOne(tokenizer.fields(), tokenizer.fieldCount());
}

DataStart findDataStart(std::string_view text, char delimiter) {
    DataStart start;
    if (text.starts_with(kUtf8ByteOrderMark)) start.markLength = kUtf8ByteOrderMark.size();
    const std::string_view rest = text.substr(start.markLength);
    const LineSpan line1 = findLine(rest, 0);
    start.line1End = start.markLength + line1.next;
    start.lineOne = readLineOne(rest.substr(0, line1.end), delimiter);
    return start;
}

bool isHeader(const DataStart& start, std::size_t linesAfterMark) {
    return start.lineOne.names.has_value() && linesAfterMark >= 2;
}

std::size_t dataOffset(const DataStart& start, bool header) {
    return header ? start.line1End : start.markLength;
}

void keepNames(DataSet& fresh, std::vector<std::string> names) {
    const auto named = static_cast<std::int32_t>(names.size());
    for (std::int32_t j = fresh.g_lngNumVariables + 1; j <= named; ++j)
        fresh.g_sngData.column(j, MISSING_VALUE);
    fresh.g_lngNumVariables = std::max(fresh.g_lngNumVariables, named);
    fresh.variableNames = std::move(names);
}

}  // namespace velmora::importing
