#pragma once

#include <cstddef>
#include <string_view>

#include "runtime/contract.h"

namespace velmora {

// The one line rule for every text file read line by line (the data import,
// both passes, desktop and batch, and Open Output): a line ends at CR LF, at a
// lone CR or at a lone LF, so files written on Linux, Windows and old Macs all
// read alike. The terminator is not part of the line; "CR CR LF" is a line and
// then an empty line; a last line without terminator is read; an end of text
// right after a terminator adds no line.

inline bool isLineEndChar(char c) {
    return c == '\r' || c == '\n';
}

// Where the line starting at `pos` ends (exclusive, before its terminator) and
// where the next one starts (after the terminator). At or past the end of the
// text both are text.size().
struct LineSpan {
    std::size_t end;
    std::size_t next;
};
LineSpan findLine(std::string_view text, std::size_t pos);

// Where the line end starting at `p` (a CR or an LF) ends: after the LF that
// follows a CR, otherwise after the character itself. `p` must be before `end`.
inline const char* skipLineEnd(const char* p, const char* end) {
    VELMORA_EXPECTS(p < end && isLineEndChar(*p));
    return (*p++ == '\r' && p != end && *p == '\n') ? p + 1 : p;
}

// The first CR or LF in [p, end), or end: where the line holding p ends.
// Looks at sixteen bytes at a time.
const char* findLineEndChar(const char* p, const char* end);

// Reads lines from 8-bit text held in memory, by the rule above.
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
