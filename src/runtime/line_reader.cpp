#include "runtime/line_reader.h"

#include <cstring>

namespace velmora {

LineSpan findLine(std::string_view text, std::size_t pos) {
    const char* base = text.data();
    const std::size_t size = text.size();
    if (pos >= size) return {size, size};
    const void* cr = std::memchr(base + pos, '\r', size - pos);
    if (cr == nullptr) return {size, size};
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
    const std::size_t next = (end + 1 < size && base[end + 1] == '\n') ? end + 2 : end + 1;
    return {end, next};
}

std::string_view LineReader::nextLine() {
    const LineSpan span = findLine(m_text, m_pos);
    const std::string_view line = m_text.substr(m_pos, span.end - m_pos);
    m_pos = span.next;
    return line;
}

std::size_t countLines(std::string_view text) {
    // Every CR ends exactly one line (an LF right after it belongs to that
    // terminator), and text after the last terminator is one more line.
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t count = 0;
    const char* lineStart = p;
    while (p != end) {
        const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(end - p));
        if (cr == nullptr) break;
        ++count;
        p = static_cast<const char*>(cr) + 1;
        if (p != end && *p == '\n') ++p;
        lineStart = p;
    }
    if (lineStart != end) ++count;
    return count;
}

}  // namespace velmora
