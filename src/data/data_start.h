#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_set.h"
#include "data/field_tokenizer.h"

// What comes before a text's data lines: the byte-order mark and the header.
namespace velmora::importing {

// The byte-order mark some spreadsheets write at the start of UTF-8 text.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

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

// Line 1 from its first `count` tokenized fields, or from its text.
LineOne readLineOne(const std::vector<TokenField>& fields, std::size_t count);
LineOne readLineOne(std::string_view line, char delimiter);

// What comes before the data lines of a text: a UTF-8 byte-order mark at the
// very start, and line 1 when it holds names.
struct DataStart {
    std::size_t markLength = 0;  // the byte-order mark's, or 0
    std::size_t line1End = 0;    // where line 2 starts
    LineOne lineOne;             // line 1 read as names

    bool operator==(const DataStart&) const = default;
};

// `text` is the whole text or its first block, which holds line 1 whole.
DataStart findDataStart(std::string_view text, char delimiter);

// Line 1 is a header when it holds names and a line follows it: a line of
// names alone stays a case, refused as an invalid entry as it always was.
bool isHeader(const DataStart& start, std::size_t linesAfterMark);

// Where the data lines start in a text that begins as `start` found.
std::size_t dataOffset(const DataStart& start, bool header);

// The names the header gives, and the variables it names beyond the widest
// data line: each is a variable too, with no field reaching any of its cells.
void keepNames(DataSet& fresh, std::vector<std::string> names);

}  // namespace velmora::importing
