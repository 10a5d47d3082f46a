#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velmora {

// Left for the first column of a table, right for every other column.
enum class CellAlign { Left, Right };

// The column rule: `text` placed in exactly `width` characters, followed by
// blanks when left-aligned, preceded by blanks when right-aligned. The caller
// guarantees text.size() <= width (texts are never cut here).
std::string PadCell(std::string_view text, int width, CellAlign align);

// One table line: the cells side by side with no separator, the first
// left-aligned and every other right-aligned, each `width` characters wide.
std::string PadRow(std::span<const std::string> cells, int width);

}  // namespace velmora
