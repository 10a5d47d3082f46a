// The delimited import over arbitrary bytes. The first input byte chooses the
// delimiter (blank, comma, tab) and the block size of the file reader; the rest
// is the data file. The import of the bytes in memory and of the same bytes as
// a file must both end as a literal reading of the format says: complete with
// the counts of an independent recount of lines and widest line and every
// cell a number or the missing code (also where no field reaches), the names
// of a line of names above the data (a byte-order mark skipped); or stopped
// at the right row and column; or failed; and a failure leaves the earlier data
// set as it was, counts and cells. The values as written that a complete import
// keeps for some variables are the nearest doubles of their fields' texts.
// Inputs that the rules for other tools' files govern (quoted fields, row
// names, text variables under a header, Latin-1 names, files that are no
// text) are left out: this reading knows only the plain rules.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "data/delimited_import.h"
#include "data/file_kind.h"
#include "runtime/line_reader.h"
#include "runtime/text_encoding.h"
#include "runtime/text_file.h"
#include "runtime/text_to_single.h"

namespace {

using velmora::DataSet;
using velmora::ImportResult;
using velmora::ImportStatus;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The lines of the text by the line rule, counted here independently of the
// runtime's reader: CR LF, a lone CR or a lone LF ends a line, the end of the
// text ends an unterminated last line, and nothing follows a final terminator.
std::vector<std::string_view> recountLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// Every delimiter cuts; an empty line has no field at all.
std::vector<std::string_view> cutFields(std::string_view line, char delimiter) {
    std::vector<std::string_view> fields;
    if (line.empty()) return fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == delimiter) {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

std::string_view withoutBlanks(std::string_view f) {
    while (!f.empty() && (f.front() == ' ' || f.front() == '\t' || f.front() == '\n'))
        f.remove_prefix(1);
    while (!f.empty() && (f.back() == ' ' || f.back() == '\t' || f.back() == '\n'))
        f.remove_suffix(1);
    return f;
}

bool isMissingCode(std::string_view f) {
    return f.empty() || f == "." || f == " " || withoutBlanks(f) == "NA" ||
           withoutBlanks(f) == "NaN";
}

// The name a field of line 1 gives, or none: neither a number nor a missing
// code (with its blanks removed), and not empty.
std::optional<std::string_view> nameOf(std::string_view f) {
    float v = 0.0f;
    std::string_view name = withoutBlanks(f);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    if (isMissingCode(withoutBlanks(f)) ||
        velmora::textToSingle(f, v) != velmora::NumberParse::NotNumber || name.empty())
        return std::nullopt;
    return name;
}

// The data lines of the text: after a UTF-8 byte-order mark at its start, and
// after line 1 when every field of it is a name and a line follows; `names`
// gets line 1's names then.
std::vector<std::string_view> dataLines(std::string_view text, char delimiter,
                                        std::vector<std::string>& names) {
    names.clear();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::string_view> lines = recountLines(text);
    if (lines.size() < 2) return lines;
    const std::vector<std::string_view> fields = cutFields(lines[0], delimiter);
    if (fields.empty() || fields.size() > static_cast<std::size_t>(velmora::MAX_VARIABLES))
        return lines;
    for (const std::string_view f : fields) {
        const std::optional<std::string_view> name = nameOf(f);
        if (!name) {
            names.clear();
            return lines;
        }
        names.emplace_back(*name);
    }
    lines.erase(lines.begin());
    return lines;
}

struct Expected {
    ImportResult result;
    std::vector<std::vector<float>> cells;  // per line, the value of each field
    std::int32_t widest = 0;
    std::vector<std::string> names;
};

Expected expectedImport(std::string_view text, char delimiter) {
    Expected e;
    const std::vector<std::string_view> lines = dataLines(text, delimiter, e.names);
    e.widest = static_cast<std::int32_t>(e.names.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto row = static_cast<std::int32_t>(i + 1);
        std::vector<float>& values = e.cells.emplace_back();
        const std::vector<std::string_view> fields = cutFields(lines[i], delimiter);
        for (std::size_t j = 0; j < fields.size(); ++j) {
            const auto column = static_cast<std::int32_t>(j + 1);
            if (column > velmora::MAX_VARIABLES) {
                e.result = {ImportStatus::TooManyFields, row, 0, {}};
                return e;
            }
            if (column > e.widest) e.widest = column;
            const std::string_view f = fields[j];
            float v = 0.0f;
            switch (velmora::textToSingle(f, v)) {
                case velmora::NumberParse::Number:
                    break;
                case velmora::NumberParse::OutOfRange:
                    e.result = {ImportStatus::NumberOutOfRange, row, column, {}};
                    return e;
                case velmora::NumberParse::NotNumber:
                    if (!isMissingCode(f)) {
                        e.result = {ImportStatus::InvalidEntry, row, column, {}};
                        return e;
                    }
                    v = velmora::MISSING_VALUE;
                    break;
            }
            values.push_back(v);
        }
    }
    return e;
}

bool sameSingle(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// The data set every import starts from: what an earlier import left.
DataSet earlierDataSet() {
    DataSet data;
    if (velmora::importDelimitedText("5 6\r\n7 8\r\n", ' ', data).status != ImportStatus::Completed)
        fail("the earlier data set did not import");
    return data;
}

void checkOutcome(const ImportResult& r, const DataSet& data, const Expected& e) {
    if (r.status != e.result.status || r.row != e.result.row || r.column != e.result.column)
        fail("the import ended otherwise than the format says");
    if (r.status != ImportStatus::Completed) {
        if (data.g_lngNumCases != 2 || data.g_lngNumVariables != 2)
            fail("a failed import changed the earlier counts");
        if (data.cell(1, 1) != 5.0f || data.cell(1, 2) != 6.0f || data.cell(2, 1) != 7.0f ||
            data.cell(2, 2) != 8.0f)
            fail("a failed import changed the earlier matrix");
        return;
    }
    if (data.g_lngNumCases != static_cast<std::int32_t>(e.cells.size()))
        fail("the case count is not the number of lines");
    if (data.g_lngNumVariables != e.widest) fail("the variable count is not the widest line");
    if (data.variableNames != e.names) fail("the names are not those of the line of names");
    for (std::size_t i = 0; i < e.cells.size(); ++i) {
        for (std::int32_t j = 1; j <= e.widest; ++j) {
            const std::vector<float>& line = e.cells[i];
            const float want = static_cast<std::size_t>(j) <= line.size()
                                   ? line[static_cast<std::size_t>(j) - 1]
                                   : velmora::MISSING_VALUE;
            if (!sameSingle(data.cell(static_cast<std::int32_t>(i + 1), j), want))
                fail("a cell holds another value");
        }
    }
}

// The magnitude of a number text (no white space around it) read here by
// std::from_chars, a sign taken off first: its nearest double, 0 below the
// double range.
double writtenValueOf(std::string_view number) {
    const bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '-' || number.front() == '+'))
        number.remove_prefix(1);
    double magnitude = 0.0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    if (r.ec == std::errc::result_out_of_range) magnitude = 0.0;
    return negative ? -magnitude : magnitude;
}

// The values as written that a complete import kept: the same from memory
// and from the file, one per line, and each the nearest double of its
// field's text where the field is a number, or else the cell's single.
void checkWrittenValues(std::string_view text, char delimiter, const DataSet& inMemory,
                        const DataSet& fromFile) {
    const std::vector<std::int32_t> variables = inMemory.writtenValues.variables();
    if (variables != fromFile.writtenValues.variables())
        fail("memory and file keep values as written for other variables");
    std::vector<std::string> names;
    const std::vector<std::string_view> lines = dataLines(text, delimiter, names);
    for (const std::int32_t j : variables) {
        const auto kept = inMemory.writtenValues.column(j);
        const auto keptFromFile = fromFile.writtenValues.column(j);
        if (kept.size() != lines.size() ||
            !std::equal(kept.begin(), kept.end(), keptFromFile.begin(), keptFromFile.end()))
            fail("values as written differ between memory and file");
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::vector<std::string_view> fields = cutFields(lines[i], delimiter);
            double want = inMemory.cell(static_cast<std::int32_t>(i + 1), j);
            float single = 0.0f;
            if (static_cast<std::size_t>(j) <= fields.size()) {
                std::string_view f = fields[static_cast<std::size_t>(j) - 1];
                if (velmora::textToSingle(f, single) == velmora::NumberParse::Number)
                    want = writtenValueOf(withoutBlanks(f));
            }
            if (kept[i] != want) fail("a value as written is not its text's nearest double");
        }
    }
}

std::string& scratchFile() {
    static std::string path;
    return path;
}

// The file read in small blocks: together they are the file, and each ends
// after a line terminator (a CR LF whole) or at the end of the file.
void checkBlocks(std::string_view text, std::size_t bufferSize, std::size_t lines) {
    velmora::LineBlockInput input(bufferSize);
    if (!input.open(scratchFile())) fail("the scratch file did not open");
    std::string joined;
    std::size_t counted = 0;
    std::string_view block;
    while (input.nextBlock(block)) {
        if (block.empty()) fail("an empty block");
        joined.append(block);
        counted += velmora::countLines(block);
        const bool atEnd = joined.size() == text.size();
        // After an LF, or after a CR whose LF (if any) is in the block too.
        const bool afterTerminator =
            block.back() == '\n' ||
            (block.back() == '\r' && (atEnd || text[joined.size()] != '\n'));
        if (!atEnd && !afterTerminator) fail("a block ends inside a line");
    }
    if (input.failed() || joined != text) fail("the blocks are not the file");
    if (counted != lines) fail("the blocks hold another number of lines");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string& path = scratchFile();
    path = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path += "/velmora_fuzz_import_XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) std::abort();
    ::close(fd);
    std::atexit([] { ::unlink(scratchFile().c_str()); });
    return 0;
}

// Whether the plain rules alone decide the import of `text` (see the top).
bool plainRulesDecide(std::string_view text, char delimiter, const Expected& e) {
    if (text.find('"') != std::string_view::npos ||
        velmora::fileKindOf(text.substr(0, velmora::kFileKindHeadBytes)) != velmora::FileKind::Text)
        return false;
    for (const std::string& name : e.names)
        if (!velmora::isValidUtf8(name)) return false;
    std::string_view rest = text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
    const std::vector<std::string_view> lines = recountLines(rest);
    if (lines.size() >= 2) {
        // An empty first field before names marks row names.
        std::vector<std::string_view> first = cutFields(lines[0], delimiter);
        // (The other fields are read as they stand: a byte-order mark there is
        // no mark of the file's start, so it may be part of a name.)
        if (first.size() >= 2 && withoutBlanks(first[0]).empty() &&
            std::all_of(first.begin() + 1, first.end(),
                        [](std::string_view f) { return nameOf(f).has_value(); }))
            return false;
    }
    if (e.names.empty()) return true;
    // Under a header a text makes a text variable, and one name fewer than
    // data fields marks row names.
    if (e.result.status == ImportStatus::InvalidEntry) return false;
    for (const std::vector<float>& line : e.cells)
        if (line.size() == e.names.size() + 1) return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return -1;
    static constexpr char kDelimiters[] = {' ', ',', '\t'};
    const char delimiter = kDelimiters[bytes[0] % 3];
    const std::size_t bufferSize = 2 + bytes[0] / 3 % 16;
    const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const Expected expected = expectedImport(text, delimiter);
    if (!plainRulesDecide(text, delimiter, expected)) return -1;

    DataSet inMemory = earlierDataSet();
    checkOutcome(velmora::importDelimitedText(text, delimiter, inMemory), inMemory, expected);

    const int fd = ::open(scratchFile().c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        fail("the scratch file could not be written");
    ::close(fd);
    DataSet fromFile = earlierDataSet();
    checkOutcome(velmora::importDelimitedFile(scratchFile(), delimiter, fromFile), fromFile,
                 expected);
    if (expected.result.status == ImportStatus::Completed)
        checkWrittenValues(text, delimiter, inMemory, fromFile);
    checkBlocks(text, bufferSize, recountLines(text).size());
    return 0;
}
