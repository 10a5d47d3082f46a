#include "runtime/line_reader.h"

namespace velmora {

LineSpan findLine(std::string_view text, std::size_t pos) {
    const std::size_t size = text.size();
    if (pos >= size) return {size, size};
    const char* const base = text.data();
    const char* const end = base + size;
    const char* p = base + pos;
    while (p != end && !isLineEndChar(*p)) ++p;
    if (p == end) return {size, size};
    return {static_cast<std::size_t>(p - base),
            static_cast<std::size_t>(skipLineEnd(p, end) - base)};
}

std::string_view LineReader::nextLine() {
    const LineSpan span = findLine(m_text, m_pos);
    const std::string_view line = m_text.substr(m_pos, span.end - m_pos);
    m_pos = span.next;
    return line;
}

std::size_t countLines(std::string_view text) {
    // Every terminator ends exactly one line: each LF, and each CR that no LF
    // follows (a CR LF counts once, by its LF). Text after the last terminator
    // is one more line. Counting flags rather than walking line by line keeps
    // the loop free of branches, so the compiler can run it on many bytes at once.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    if (size == 0) return 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        count += static_cast<std::size_t>(p[i] == '\n') +
                 static_cast<std::size_t>((p[i] == '\r') & (p[i + 1] != '\n'));
    }
    // The last byte either ends the last line or belongs to an unended one:
    // one line either way.
    return count + 1;
}

}  // namespace velmora
