#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// What the program writes ends every line in CR LF: the reports and the
// import summary, the saved pane, the trial CSV and the SVG.
inline constexpr std::string_view CRLF = "\r\n";

// Left for the first column of a table, right for every other column.
enum class CellAlign { Left, Right };

// The column rule: `text` placed in exactly `width` characters, followed by
// blanks when left-aligned, preceded by blanks when right-aligned. The caller
// guarantees text.size() <= width (texts are never cut here).
std::string PadCell(std::string_view text, int width, CellAlign align);

// A text (a variable's name) for a column that holds at most `width`
// characters: as it is when it fits, else its first width - 1 characters and
// "~" (fewer when that would split a character of several bytes), so that
// a cut always shows. `width` >= 1.
std::string CutToColumn(std::string_view text, std::size_t width);

// One table line: the cells side by side with no separator, the first
// left-aligned and every other right-aligned, each `width` characters wide.
std::string PadRow(std::span<const std::string> cells, int width);

// The text of a fixed-width report, line by line, each line ending in CR LF.
class ReportText {
public:
    ReportText& line(std::string_view text = {});
    // `count` empty lines.
    ReportText& emptyLines(int count);
    // A line of `width` hyphens.
    ReportText& rule(int width);
    // A table line of `cells` by the column rule.
    ReportText& row(std::span<const std::string> cells, int cellWidth);
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

}  // namespace velmora
