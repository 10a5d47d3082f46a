#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

// Where the line starting at `pos` ends (exclusive, before its terminator) and
// where the next one starts (after the terminator). At or past the end of the
// text both are text.size().
struct LineSpan {
    std::size_t end;
    std::size_t next;
};
LineSpan findLine(std::string_view text, std::size_t pos);

// Reads lines from 8-bit text held in memory. CR LF or a lone CR ends a line;
// a lone LF is an ordinary character; a last line without terminator is read;
// an end of text right after a terminator adds no line.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next line without its terminator. Precondition: !atEnd().
    std::string_view nextLine();

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Number of lines LineReader would return for this text.
std::size_t countLines(std::string_view text);

}  // namespace velmora
