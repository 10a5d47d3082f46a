#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Left for the first column of a table, right for every other column.
enum class CellAlign { Left, Right };

// The column rule: `text` placed in exactly `width` characters, followed by
// blanks when left-aligned, preceded by blanks when right-aligned. The caller
// guarantees text.size() <= width (texts are never cut here).
std::string PadCell(std::string_view text, int width, CellAlign align);

}  // namespace velmora
