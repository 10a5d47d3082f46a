#include "runtime/report_text.h"

#include "runtime/contract.h"

namespace velmora {

std::string PadCell(std::string_view text, int width, CellAlign align) {
    VELMORA_EXPECTS(width >= 0 && text.size() <= static_cast<std::size_t>(width));
    const std::size_t w = width < 0 ? 0 : static_cast<std::size_t>(width);
    const std::size_t fill = text.size() < w ? w - text.size() : 0;
    std::string cell;
    cell.reserve(text.size() + fill);
    if (align == CellAlign::Right) cell.append(fill, ' ');
    cell.append(text);
    if (align == CellAlign::Left) cell.append(fill, ' ');
    return cell;
}

std::string CutToColumn(std::string_view text, std::size_t width) {
    VELMORA_EXPECTS(width >= 1);
    if (text.size() <= width) return std::string(text);
    // Never inside a character of several bytes (UTF-8), which the SVG would
    // reject and the pane would show as a stray byte.
    std::size_t keep = width - 1;
    while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80) --keep;
    return std::string(text.substr(0, keep)) + "~";
}

std::string PadRow(std::span<const std::string> cells, int width) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i)
        line += PadCell(cells[i], width, i == 0 ? CellAlign::Left : CellAlign::Right);
    return line;
}

ReportText& ReportText::line(std::string_view text) {
    m_text.append(text);
    m_text.append(CRLF);
    return *this;
}

ReportText& ReportText::emptyLines(int count) {
    for (int i = 0; i < count; ++i) line();
    return *this;
}

ReportText& ReportText::rule(int width) {
    return line(std::string(static_cast<std::size_t>(width < 0 ? 0 : width), '-'));
}

ReportText& ReportText::row(std::span<const std::string> cells, int cellWidth) {
    return line(PadRow(cells, cellWidth));
}

}  // namespace velmora
