#include "data/delimited_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "data/file_kind.h"
#include "data/single_storage.h"
#include "data/statistics_file_import.h"
#include "runtime/line_reader.h"
#include "runtime/number_scan.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/text_encoding.h"
#include "runtime/text_file.h"
#include "runtime/text_to_single.h"

namespace velmora {

namespace {

// A delimiter the number scanner could take as part of a number ("1.5" cut at
// ".") must not be found by scanning for a number first.
bool isNumberChar(char c) {
    return detail::isAsciiDigit(c) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
}

// "NA" is R's missing code, "NaN" the one of pandas and of most numeric
// libraries; both are taken after the trimming numbers get.
bool isMissingField(std::string_view field) {
    if (field.empty() || field == "." || field == " ") return true;
    const std::string_view trimmed = trimFieldBlanks(field);
    return trimmed == "NA" || trimmed == "NaN";
}

ImportResult failure(ImportStatus status, std::int32_t row, std::int32_t column) {
    ImportResult r;
    r.status = status;
    r.row = row;
    r.column = column;
    return r;
}

// Whether a number scanned in place is its whole field: it ends at the
// delimiter, a line end or the end of the text.
bool isWholeField(const detail::DecimalScan& scan, const char* end, char delimiter) {
    return scan.complete &&
           (scan.stop == end || *scan.stop == delimiter || isLineEndChar(*scan.stop));
}

// The end of the field starting at p: the first delimiter or line end, or the end.
const char* findFieldEnd(const char* p, const char* end, char delimiter) {
    while (p != end && *p != delimiter && !isLineEndChar(*p)) ++p;
    return p;
}

// The second pass: stores every field of whole lines into a data set whose
// counts and matrix the first pass has set, block after block, and stops at
// the first fault. Lines and fields are found in one walk over the bytes: a
// field ends at the delimiter, and a line end (CR LF, CR or LF) ends the line
// as well.
class FieldStore {
public:
    FieldStore(DataSet& data, char delimiter)
        : m_data(data), m_delimiter(delimiter), m_scanInPlace(!isNumberChar(delimiter)) {}

    // Stores the lines of [p, end), which must end with a line end or with the text.
    ImportResult storeLines(const char* p, const char* end);

    std::int32_t rowsStored() const { return m_row; }
    std::int32_t numVariables() const { return m_numVariables; }

private:
    DataSet& m_data;
    const char m_delimiter;
    // Most fields are plain numbers that end at the delimiter: scanning the
    // number in place finds the field's end and its value in one go. Anything
    // else is cut at the delimiter and classified by the general rules.
    const bool m_scanInPlace;
    // Writable cells of each variable, fetched once when the variable first appears.
    std::array<float*, MAX_VARIABLES + 1> m_columns{};
    std::int32_t m_numVariables = 0;
    std::int32_t m_row = 0;
};

// Lines beyond the first count, or fields that no longer read as stored: the
// file was changed by someone else while the import read it.
constexpr const char* kFileChanged = "The file changed while it was being read";

ImportResult fileChanged() {
    ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
    r.reason = kFileChanged;
    return r;
}

ImportResult FieldStore::storeLines(const char* p, const char* const end) {
    const char delimiter = m_delimiter;
    while (p != end) {
        if (m_row == m_data.g_lngNumCases) {
            // More lines than the first pass counted: the file changed between
            // the passes, and the matrix has no room for them.
            return fileChanged();
        }
        const std::int32_t row = ++m_row;
        if (isLineEndChar(*p)) {  // an empty line has no fields
            p = skipLineEnd(p, end);
            continue;
        }
        const char* field = p;
        std::int32_t column = 0;
        for (;;) {
            ++column;
            if (column > MAX_VARIABLES) return failure(ImportStatus::TooManyFields, row, 0);
            if (column > m_numVariables) {
                // A cell that no field reaches (the end of a short line, a
                // blank line, the lines before a variable first appears) holds
                // no entry at all, so it is missing rather than a value of 0.
                m_numVariables = column;
                m_columns[static_cast<std::size_t>(column)] =
                    m_data.g_sngData.column(column, MISSING_VALUE);
            }

            const char* fieldEnd = nullptr;
            float value = 0.0f;
            NumberParse kind = NumberParse::NotNumber;
            bool classified = false;
            if (m_scanInPlace) {
                const detail::DecimalScan scan = detail::scanDecimal(field, end);
                if (isWholeField(scan, end, delimiter)) {
                    fieldEnd = scan.stop;
                    kind = detail::scannedToSingle(scan, fieldEnd, value);
                    classified = true;
                }
            }
            if (!classified) {
                fieldEnd = findFieldEnd(field, end, delimiter);
                const std::string_view text(field, static_cast<std::size_t>(fieldEnd - field));
                kind = textToSingle(text, value);
                if (kind == NumberParse::NotNumber) {
                    if (!isMissingField(text)) {
                        return failure(ImportStatus::InvalidEntry, row, column);
                    }
                    value = MISSING_VALUE;
                    kind = NumberParse::Number;
                }
            }
            if (kind == NumberParse::OutOfRange) {
                return failure(ImportStatus::NumberOutOfRange, row, column);
            }
            m_columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = value;

            if (fieldEnd == end) {
                p = end;
                break;
            }
            if (isLineEndChar(*fieldEnd)) {  // checked first: a line end always ends the line
                p = skipLineEnd(fieldEnd, end);
                break;
            }
            field = fieldEnd + 1;  // a delimiter right before the line end leaves one empty field
        }
    }
    return {};
}

// The byte-order mark some spreadsheets write at the start of UTF-8 text.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

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

// Line 1 read as names. `names` holds them when every field is one; when the
// first field alone is empty and the others are names (the mark of a row-name
// column that pandas and R's write.csv write), `rowNamesMarked` is set and
// `names` holds the others. A line of more than MAX_VARIABLES fields names
// nothing and is left to the import's own refusal.
struct LineOne {
    std::optional<std::vector<std::string>> names;
    bool rowNamesMarked = false;

    bool operator==(const LineOne&) const = default;
};

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

// What comes before the data lines of a text: a UTF-8 byte-order mark at the
// very start, and line 1 when it holds names. `text` is the whole text or its
// first block, which holds line 1 whole.
struct DataStart {
    std::size_t markLength = 0;  // the byte-order mark's, or 0
    std::size_t line1End = 0;    // where line 2 starts
    LineOne lineOne;             // line 1 read as names

    bool operator==(const DataStart&) const = default;
};

DataStart findDataStart(std::string_view text, char delimiter) {
    DataStart start;
    if (text.starts_with(kUtf8ByteOrderMark)) start.markLength = kUtf8ByteOrderMark.size();
    const std::string_view rest = text.substr(start.markLength);
    const LineSpan line1 = findLine(rest, 0);
    start.line1End = start.markLength + line1.next;
    start.lineOne = readLineOne(rest.substr(0, line1.end), delimiter);
    return start;
}

// Line 1 is a header when it holds names and a line follows it: a line of
// names alone stays a case, refused as an invalid entry as it always was.
bool isHeader(const DataStart& start, std::size_t linesAfterMark) {
    return start.lineOne.names.has_value() && linesAfterMark >= 2;
}

// Where the data lines start in a text that begins as `start` found.
std::size_t dataOffset(const DataStart& start, bool header) {
    return header ? start.line1End : start.markLength;
}

// The names the header gives, and the variables it names beyond the widest
// data line: each is a variable too, with no field reaching any of its cells.
void keepNames(DataSet& fresh, std::vector<std::string> names) {
    const auto named = static_cast<std::int32_t>(names.size());
    for (std::int32_t j = fresh.g_lngNumVariables + 1; j <= named; ++j)
        fresh.g_sngData.column(j, MISSING_VALUE);
    fresh.g_lngNumVariables = std::max(fresh.g_lngNumVariables, named);
    fresh.variableNames = std::move(names);
}

// A variable whose singles may not hold its values, and what storing them did.
struct Reread {
    std::int32_t variable;
    SingleStorage storage;
};

// After the second pass: the variables for which even the largest error a
// single can have would be beyond what it may stand for. Ordinary data have
// none, and then nothing more is read or kept.
std::vector<Reread> variablesToReread(const DataSet& data) {
    std::vector<Reread> out;
    for (std::int32_t j = 1; j <= data.g_lngNumVariables; ++j)
        if (const std::optional<SingleStorage> storage = storageToCheck(data, j))
            out.push_back({j, *storage});
    return out;
}

// Keeps, of the variables reread, every column whose values as written
// (`columns`, one per variable in order) lie further from their singles than
// those may stand for.
void keepNeededWrittenValues(DataSet& data, const std::vector<Reread>& variables,
                             std::vector<std::vector<double>>& columns) {
    for (std::size_t c = 0; c < variables.size(); ++c) {
        const float* singles = data.g_sngData.columnData(variables[c].variable);
        std::vector<double>& column = columns[c];
        double largest = 0.0;
        for (std::size_t k = 0; k < column.size(); ++k)
            if (!isMissing(singles[k + 1]))
                largest = std::max(largest, std::fabs(column[k] - singles[k + 1]));
        if (singlesLoseAccuracy(variables[c].storage, largest))
            data.writtenValues.keep(variables[c].variable, std::move(column));
    }
}

// The third pass, over the same lines as the second: the fields of the
// variables to reread, taken again as the nearest doubles of their texts.
// Each column starts as its singles widened, so missing fields and cells no
// field reaches read as the singles say; a field that no longer gives its
// stored single means the file changed since it was stored.
class WrittenValueReader {
public:
    WrittenValueReader(const DataSet& data, char delimiter, std::vector<Reread> variables)
        : m_data(data),
          m_delimiter(delimiter),
          m_scanInPlace(!isNumberChar(delimiter)),
          m_variables(std::move(variables)) {
        const auto cases = static_cast<std::size_t>(data.g_lngNumCases);
        m_columns.reserve(m_variables.size());
        for (const Reread& r : m_variables) {
            const float* singles = data.g_sngData.columnData(r.variable);
            std::vector<double>& column = m_columns.emplace_back(singles + 1, singles + 1 + cases);
            m_written[static_cast<std::size_t>(r.variable)] = column.data();
            m_singles[static_cast<std::size_t>(r.variable)] = singles;
            m_last = r.variable;
        }
    }

    // Reads the lines of [p, end), which must end with a line end or with the text.
    ImportResult readLines(const char* p, const char* const end) {
        while (p != end) {
            if (m_row == m_data.g_lngNumCases) return fileChanged();
            const std::int32_t row = ++m_row;
            if (isLineEndChar(*p)) {
                p = skipLineEnd(p, end);
                continue;
            }
            const char* field = p;
            for (std::int32_t column = 1;; ++column) {
                const auto at = static_cast<std::size_t>(column);
                const char* fieldEnd =
                    m_written[at] == nullptr
                        ? findFieldEnd(field, end, m_delimiter)
                        : reread(field, end, m_singles[at][row], m_written[at][row - 1]);
                if (fieldEnd == nullptr) return fileChanged();
                if (column == m_last) fieldEnd = findLineEndChar(fieldEnd, end);  // read no more
                if (fieldEnd == end) {
                    p = end;
                    break;
                }
                if (isLineEndChar(*fieldEnd)) {
                    p = skipLineEnd(fieldEnd, end);
                    break;
                }
                field = fieldEnd + 1;
            }
        }
        return {};
    }

    std::int32_t rowsRead() const { return m_row; }

    // Keeps every column whose values as written lie further from their
    // singles than those may stand for.
    void keepNeeded(DataSet& data) { keepNeededWrittenValues(data, m_variables, m_columns); }

private:
    // The field starting at p again: its value as written goes to `written`.
    // Returns where it ends, or nullptr when it no longer is what the second
    // pass stored. A plain number is scanned in place, as the second pass does.
    const char* reread(const char* p, const char* end, float stored, double& written) const {
        float single = 0.0f;
        if (m_scanInPlace) {
            const detail::DecimalScan scan = detail::scanDecimal(p, end);
            if (isWholeField(scan, end, m_delimiter)) {
                if (detail::scannedToSingle(scan, scan.stop, single) != NumberParse::Number ||
                    single != stored)
                    return nullptr;
                detail::scannedToDouble(scan, scan.stop, written);
                return scan.stop;
            }
        }
        const char* fieldEnd = findFieldEnd(p, end, m_delimiter);
        const std::string_view text(p, static_cast<std::size_t>(fieldEnd - p));
        double value = 0.0;
        const NumberParse kind = textToSingleAndDouble(text, single, value);
        if (kind == NumberParse::Number && single == stored) {
            written = value;
            return fieldEnd;
        }
        const bool missing =
            kind == NumberParse::NotNumber && isMissingField(text) && isMissing(stored);
        return missing ? fieldEnd : nullptr;
    }

    const DataSet& m_data;
    const char m_delimiter;
    const bool m_scanInPlace;  // as in FieldStore
    std::vector<Reread> m_variables;
    std::vector<std::vector<double>> m_columns;  // one per variable to reread, in order
    std::array<double*, MAX_VARIABLES + 1> m_written{};
    std::array<const float*, MAX_VARIABLES + 1> m_singles{};
    std::int32_t m_last = 0;  // the highest variable to reread
    std::int32_t m_row = 0;
};

// The third pass when it is needed: `readAll(reader)` hands it every block of
// the same text. Keeps the written values of the variables that need them.
template <class ReadAll>
ImportResult keepWrittenValues(DataSet& fresh, char delimiter, ReadAll&& readAll) {
    std::vector<Reread> variables = variablesToReread(fresh);
    if (variables.empty()) return {};
    WrittenValueReader reader(fresh, delimiter, std::move(variables));
    const ImportResult result = readAll(reader);
    if (result.status != ImportStatus::Completed) return result;
    if (reader.rowsRead() != fresh.g_lngNumCases) return fileChanged();
    reader.keepNeeded(fresh);
    return {};
}

// The new data set with its counts and an empty matrix for `lines` cases, or
// OutOfMemory when the count cannot be held.
ImportResult allocateFor(std::size_t lines, DataSet& fresh) {
    if (lines > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
    fresh.g_lngNumCases = static_cast<std::int32_t>(lines);
    fresh.g_sngData = DataMatrix(fresh.g_lngNumCases);
    return {};
}

ImportResult readFailure(const std::string& reason) {
    ImportResult r = failure(ImportStatus::OpenFailed, 0, 0);
    r.reason = reason;
    return r;
}

// A field's number by the general rules: with the semicolon delimiter a
// comma in a field without "." is the decimal mark. `written` may be null.
NumberParse generalNumber(std::string_view text, char delimiter, float& value, double* written,
                          std::string& scratch) {
    if (delimiter == kSemicolonDelimiter && text.find(',') != std::string_view::npos &&
        text.find('.') == std::string_view::npos) {
        scratch.assign(text);
        std::replace(scratch.begin(), scratch.end(), ',', '.');
        text = scratch;
    }
    if (written != nullptr) return textToSingleAndDouble(text, value, *written);
    return textToSingle(text, value);
}

enum class CellKind { Number, Missing, Text, OutOfRange };

// A data field: a number (quoted or not), a missing code (never quoted: a
// quoted "NA" is a text, as R and pandas write one), or a text.
CellKind classifyField(const TokenField& field, char delimiter, float& value, double* written,
                       std::string& scratch) {
    switch (generalNumber(field.text, delimiter, value, written, scratch)) {
        case NumberParse::Number:
            return CellKind::Number;
        case NumberParse::OutOfRange:
            return CellKind::OutOfRange;
        case NumberParse::NotNumber:
            break;
    }
    if (!field.quoted && isMissingField(field.text)) {
        value = MISSING_VALUE;
        return CellKind::Missing;
    }
    return CellKind::Text;
}

ImportResult failureAt(ImportStatus status, std::int32_t row, std::int32_t column,
                       std::int64_t line) {
    ImportResult r = failure(status, row, column);
    r.line = static_cast<std::int32_t>(
        std::min<std::int64_t>(line, std::numeric_limits<std::int32_t>::max()));
    return r;
}

// The import by the general rules, for text held in memory: quoted fields,
// the delimiters that the plain field scan does not serve, row names and
// text variables. It reads the records twice (a third time when a variable
// needs its values as written), as the plain import reads the lines.
ImportResult importGeneral(std::string_view bytes, char delimiter, DataSet& fresh) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());

    // First pass: the records, line 1, and the width of the others.
    std::size_t records = 0;
    LineOne lineOne;
    std::size_t lineOneFields = 0;
    std::size_t secondFields = 0;
    std::size_t widestAfter = 0;
    {
        FieldTokenizer tokenizer(bytes, delimiter);
        while (tokenizer.next()) {
            ++records;
            if (records == 1) {
                lineOne = readLineOne(tokenizer.fields(), tokenizer.fieldCount());
                lineOneFields = tokenizer.fieldCount();
            } else {
                if (records == 2) secondFields = tokenizer.fieldCount();
                widestAfter = std::max(widestAfter, tokenizer.fieldCount());
            }
        }
    }
    const bool header = lineOne.names.has_value() && records >= 2;
    // R writes one name fewer than data fields over a row-name column.
    const bool rowNames = header && (lineOne.rowNamesMarked || (secondFields == lineOneFields + 1 &&
                                                                widestAfter == lineOneFields + 1));
    if (header) --records;
    ImportResult result = allocateFor(records, fresh);
    if (result.status != ImportStatus::Completed) return result;
    const std::size_t skipped = rowNames ? 1 : 0;

    // Second pass: store the fields.
    std::vector<char> text(MAX_VARIABLES + 1, 0);
    std::array<float*, MAX_VARIABLES + 1> columns{};
    std::int32_t numVariables = 0;
    std::string scratch;
    {
        FieldTokenizer tokenizer(bytes, delimiter);
        if (header) tokenizer.next();
        std::int32_t row = 0;
        while (tokenizer.next()) {
            ++row;
            const std::vector<TokenField>& fields = tokenizer.fields();
            const std::int64_t line = tokenizer.line();
            for (std::size_t k = skipped; k < tokenizer.fieldCount(); ++k) {
                const auto column = static_cast<std::int32_t>(k - skipped + 1);
                if (column > MAX_VARIABLES)
                    return failureAt(ImportStatus::TooManyFields, row, 0, line);
                if (column > numVariables) {
                    numVariables = column;
                    columns[static_cast<std::size_t>(column)] =
                        fresh.g_sngData.column(column, MISSING_VALUE);
                }
                float value = 0.0f;
                switch (classifyField(fields[k], delimiter, value, nullptr, scratch)) {
                    case CellKind::Number:
                    case CellKind::Missing:
                        break;
                    case CellKind::OutOfRange:
                        return failureAt(ImportStatus::NumberOutOfRange, row, column, line);
                    case CellKind::Text:
                        // Without a header line a text is a fault, as it always was.
                        if (!header)
                            return failureAt(ImportStatus::InvalidEntry, row, column, line);
                        text[static_cast<std::size_t>(column)] = 1;
                        value = MISSING_VALUE;
                        break;
                }
                columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = value;
            }
        }
    }
    fresh.g_lngNumVariables = numVariables;
    if (header) keepNames(fresh, std::move(*lineOne.names));
    fresh.rowNames = rowNames;
    for (std::int32_t j = 1; j <= numVariables; ++j) {
        if (text[static_cast<std::size_t>(j)] == 0) continue;
        fresh.textVariables.push_back(j);
        std::fill_n(columns[static_cast<std::size_t>(j)] + 1, records, MISSING_VALUE);
    }

    // Third pass, only for variables whose singles may not hold their values.
    const std::vector<Reread> variables = variablesToReread(fresh);
    if (variables.empty()) return {};
    std::vector<std::vector<double>> written;
    written.reserve(variables.size());
    for (const Reread& r : variables) {
        const float* singles = fresh.g_sngData.columnData(r.variable);
        written.emplace_back(singles + 1, singles + 1 + records);
    }
    FieldTokenizer tokenizer(bytes, delimiter);
    if (header) tokenizer.next();
    for (std::size_t row = 0; tokenizer.next(); ++row) {
        for (std::size_t c = 0; c < variables.size(); ++c) {
            const std::size_t k = static_cast<std::size_t>(variables[c].variable - 1) + skipped;
            if (k >= tokenizer.fieldCount()) continue;
            float single = 0.0f;
            double value = 0.0;
            if (classifyField(tokenizer.fields()[k], delimiter, single, &value, scratch) ==
                CellKind::Number)
                written[c][row] = value;
        }
    }
    keepNeededWrittenValues(fresh, variables, written);
    return {};
}

// Whether the plain import must leave a text with a header line to the
// general rules: its text cells stop the plain scan, and one name fewer than
// data fields marks a row-name column.
bool leaveToGeneral(const ImportResult& result, const DataSet& fresh, const DataStart& start) {
    return result.status == ImportStatus::InvalidEntry ||
           (result.status == ImportStatus::Completed &&
            static_cast<std::size_t>(fresh.g_lngNumVariables) == start.lineOne.names->size() + 1);
}

// The general rules serve every text that the plain field scan does not:
// the two delimiters of their own, quoted fields, and a row-name mark.
bool needsGeneral(char delimiter, const DataStart& start) {
    return delimiter == kWhitespaceDelimiter || delimiter == kSemicolonDelimiter ||
           start.lineOne.rowNamesMarked;
}

// A fault found by the plain scan of a text with a header: its line in the file.
ImportResult withFileLine(ImportResult result, bool header) {
    if (header && result.row > 0) result.line = result.row + 1;
    return result;
}

ImportResult importFromText(std::string_view bytes, char delimiter, DataSet& fresh);

ImportResult importGeneralFile(const std::string& path, char delimiter, DataSet& fresh) {
    const Expected<std::string> bytes = readFileBytes(path);
    if (!bytes) return readFailure(bytes.failure().message);
    fresh = DataSet{};
    return importGeneral(*bytes, delimiter, fresh);
}

// The passes over the file, each reading it from the start in blocks of whole
// lines, so that only the matrix, never the whole file, has to fit in memory.
// Each pass finds in its first block what precedes the data lines; a start
// other than the first pass found means the file changed.
ImportResult importFromFile(const std::string& path, char delimiter, DataSet& fresh) {
    LineBlockInput input;
    std::string_view block;

    // First pass: count the lines.
    if (const Status opened = input.open(path); !opened)
        return readFailure(opened.failure().message);
    DataStart start;
    std::size_t lines = 0;
    bool quoted = false;
    for (bool first = true; input.nextBlock(block); first = false) {
        if (first) {
            start = findDataStart(block, delimiter);
            block.remove_prefix(start.markLength);
        }
        lines += countLines(block);
        quoted = quoted || std::memchr(block.data(), '"', block.size()) != nullptr;
    }
    if (input.failed()) return readFailure(input.error());
    input.close();
    if (quoted || needsGeneral(delimiter, start)) return importGeneralFile(path, delimiter, fresh);
    const bool header = isHeader(start, lines);
    if (header) --lines;

    ImportResult result = allocateFor(lines, fresh);
    if (result.status != ImportStatus::Completed) return result;

    // The blocks of a later pass, the first without what precedes the data lines.
    bool firstBlock = true;
    bool changed = false;
    const auto nextDataBlock = [&]() {
        if (!input.nextBlock(block)) return false;
        if (firstBlock) {
            firstBlock = false;
            if (!(findDataStart(block, delimiter) == start)) {
                changed = true;
                return false;
            }
            block.remove_prefix(dataOffset(start, header));
        }
        return true;
    };

    // Second pass: store the fields.
    if (const Status opened = input.open(path); !opened)
        return readFailure(opened.failure().message);
    FieldStore store(fresh, delimiter);
    while (nextDataBlock()) {
        result = store.storeLines(block.data(), block.data() + block.size());
        if (result.status != ImportStatus::Completed) break;
    }
    if (header && result.status == ImportStatus::InvalidEntry)
        return importGeneralFile(path, delimiter, fresh);
    if (result.status != ImportStatus::Completed) return withFileLine(result, header);
    if (changed) return fileChanged();
    if (input.failed()) return readFailure(input.error());
    if (store.rowsStored() != fresh.g_lngNumCases) {
        return fileChanged();
    }
    fresh.g_lngNumVariables = store.numVariables();
    if (header && leaveToGeneral(result, fresh, start))
        return importGeneralFile(path, delimiter, fresh);
    if (header)
        keepNames(fresh, *start.lineOne.names);  // a copy: the third pass compares the start again

    // Third pass, only for variables whose singles may not hold their values.
    return keepWrittenValues(fresh, delimiter, [&](WrittenValueReader& reader) {
        if (const Status opened = input.open(path); !opened)
            return readFailure(opened.failure().message);
        firstBlock = true;
        while (nextDataBlock()) {
            const ImportResult r = reader.readLines(block.data(), block.data() + block.size());
            if (r.status != ImportStatus::Completed) return r;
        }
        if (changed) return fileChanged();
        if (input.failed()) return readFailure(input.error());
        return ImportResult{};
    });
}

// Text held in memory: a data file read once (standard input, a pipe), or
// bytes handed over directly.
ImportResult importFromText(std::string_view bytes, char delimiter, DataSet& fresh) {
    const DataStart start = findDataStart(bytes, delimiter);
    if (needsGeneral(delimiter, start) || bytes.find('"') != std::string_view::npos)
        return importGeneral(bytes, delimiter, fresh);
    std::size_t lines = countLines(bytes.substr(start.markLength));
    const bool header = isHeader(start, lines);
    if (header) --lines;
    const std::string_view data = bytes.substr(dataOffset(start, header));
    // First pass: the line count sizes the matrix before any value is stored.
    ImportResult result = allocateFor(lines, fresh);
    if (result.status != ImportStatus::Completed) return result;
    FieldStore store(fresh, delimiter);
    result = store.storeLines(data.data(), data.data() + data.size());
    if (result.status == ImportStatus::Completed) fresh.g_lngNumVariables = store.numVariables();
    if (header && leaveToGeneral(result, fresh, start)) {
        fresh = DataSet{};
        return importGeneral(bytes, delimiter, fresh);
    }
    if (result.status != ImportStatus::Completed) return withFileLine(result, header);
    if (header) keepNames(fresh, *start.lineOne.names);
    return keepWrittenValues(fresh, delimiter, [&](WrittenValueReader& reader) {
        return reader.readLines(data.data(), data.data() + data.size());
    });
}

// The new data set is always built aside and replaces `target` only once it is
// complete: an import that does not complete leaves the earlier data set as it
// was, counts and cells, still loaded and usable.
template <class Build>
ImportResult buildAndInstall(DataSet& target, Build&& build) {
    try {
        DataSet fresh;
        ImportResult result = build(fresh);
        if (result.status == ImportStatus::Completed) target = std::move(fresh);
        return result;
    } catch (const std::bad_alloc&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    } catch (const std::length_error&) {
        return failure(ImportStatus::OutOfMemory, 0, 0);
    }
}

}  // namespace

namespace {

ImportResult notText(std::string reason) {
    ImportResult r = failure(ImportStatus::NotText, 0, 0);
    r.reason = std::move(reason);
    return r;
}

// The first bytes of a file, to tell its kind; nullopt when it cannot be read.
std::optional<std::string> fileHead(const std::string& path, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (error != nullptr) *error = std::strerror(errno);
        return std::nullopt;
    }
    std::string head(kFileKindHeadBytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file));
    const int readError = std::ferror(file) != 0 ? errno : 0;
    std::fclose(file);
    if (readError != 0) {
        if (error != nullptr) *error = std::strerror(readError);
        return std::nullopt;
    }
    return head;
}

}  // namespace

ImportResult importDelimitedText(std::string_view bytes, char delimiter, DataSet& target) {
    const FileKind kind = fileKindOf(bytes.substr(0, kFileKindHeadBytes));
    if (isStatisticsFile(kind))
        return notText((kind == FileKind::StataData ? "a " : "an ") + fileKindName(kind) +
                       ", which is read from its file by name, not from a stream");
    if (kind != FileKind::Text) return notText(notTextReason(kind));
    return buildAndInstall(target,
                           [&](DataSet& fresh) { return importFromText(bytes, delimiter, fresh); });
}

ImportResult importDelimitedFile(const std::string& path, char delimiter, DataSet& target) {
    if (path.empty()) return failure(ImportStatus::NoFileSelected, 0, 0);
    // What is not a regular file (a pipe, a FIFO, a terminal) gives its bytes
    // once: it is read into memory whole, instead of twice from the start.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        Expected<std::string> bytes = std::string();
        try {
            bytes = readFileBytes(path);
        } catch (const std::bad_alloc&) {
            return failure(ImportStatus::OutOfMemory, 0, 0);
        }
        if (!bytes) return readFailure(bytes.failure().message);
        return importDelimitedText(*bytes, delimiter, target);
    }
    std::string error;
    const std::optional<std::string> head = fileHead(path, &error);
    if (!head) return readFailure(error);
    const FileKind kind = fileKindOf(*head);
    if (isStatisticsFile(kind)) {
        return buildAndInstall(
            target, [&](DataSet& fresh) { return importStatisticsFile(path, kind, fresh); });
    }
    if (kind != FileKind::Text) return notText(notTextReason(kind));
    return buildAndInstall(target,
                           [&](DataSet& fresh) { return importFromFile(path, delimiter, fresh); });
}

std::string buildImportSummary(const std::string& fileName, const DataSet& data) {
    ReportText out;
    out.line("Opened the " + data.fileKind + ": " + fileName);
    out.line("Number of Cases: " + integerText(data.g_lngNumCases));
    out.line("Number of Variables: " + integerText(data.g_lngNumVariables));
    if (!data.variableNames.empty()) {
        std::string names = "Variable names: ";
        for (std::size_t j = 0; j < data.variableNames.size(); ++j) {
            if (j > 0) names += ", ";
            names +=
                variableLabel(static_cast<std::int32_t>(j) + 1) + " = " + data.variableNames[j];
        }
        out.line(names);
    }
    if (data.rowNames) out.line("Row names: column 1 (not a variable)");
    if (!data.textVariables.empty()) {
        std::string texts = "Text variables (not analysed): ";
        for (std::size_t k = 0; k < data.textVariables.size(); ++k) {
            const std::int32_t j = data.textVariables[k];
            if (k > 0) texts += ", ";
            texts += variableLabel(j);
            if (!data.variableName(j).empty()) texts += " = " + data.variableName(j);
        }
        out.line(texts);
    }
    out.emptyLines(2);
    return out.take();
}

namespace {

// "Row i" and, where the file's line is another, "(line l of the file)".
std::string rowText(std::int32_t row, std::int32_t line) {
    std::string text = "Row " + integerText(row);
    if (line != 0 && line != row) text += " (line " + integerText(line) + " of the file)";
    return text;
}

}  // namespace

std::string invalidEntryMessage(std::int32_t row, std::int32_t column, std::int32_t line) {
    return rowText(row, line) + " of Column " + integerText(column) +
           " has an invalid entry for analysis.";
}

std::string importFailureMessage(const ImportResult& result, const std::string& path) {
    switch (result.status) {
        case ImportStatus::Completed:
            return {};
        case ImportStatus::NoFileSelected:
            return "No data file is selected.";
        case ImportStatus::OpenFailed:
            return "Cannot open the data file '" + path +
                   "': " + (result.reason.empty() ? "unknown error" : result.reason);
        case ImportStatus::InvalidEntry:
            return invalidEntryMessage(result.row, result.column, result.line);
        case ImportStatus::NumberOutOfRange:
            return rowText(result.row, result.line) + " of Column " + integerText(result.column) +
                   " holds a number beyond the single-precision range.";
        case ImportStatus::NotText:
            return "The data file '" + path + "' is " + result.reason + ".";
        case ImportStatus::TooManyFields:
            return "Line " + integerText(result.line != 0 ? result.line : result.row) +
                   " has more than " + integerText(MAX_VARIABLES) + " fields.";
        case ImportStatus::OutOfMemory:
            return "The data file '" + path + "' is too large to be held in memory.";
    }
    return "The data file could not be imported.";
}

}  // namespace velmora
