#include "runtime/line_reader.h"

#include "runtime/contract.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

const char* findLineEndChar(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; end - p >= 16; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(here, cr)));
        if (found != 0) return p + __builtin_ctz(static_cast<unsigned>(found));
    }
#endif
    while (p != end && !isLineEndChar(*p)) ++p;
    return p;
}

std::string_view LineReader::nextLine() {
    VELMORA_EXPECTS(!atEnd());
    const LineSpan span = findLine(m_text, m_pos);
    const std::string_view line = m_text.substr(m_pos, span.end - m_pos);
    m_pos = span.next;
    return line;
}

std::size_t countLines(std::string_view text) {
    // Every terminator ends exactly one line: each LF, and each CR that no LF
    // follows (a CR LF counts once, by its LF). The last byte either ends the
    // last line or belongs to an unended one: one more line either way. So the
    // count needs no walk from line to line, only flags over the bytes, which
    // the first pass of the import reads sixteen at a time.
    const char* const p = text.data();
    const std::size_t size = text.size();
    if (size == 0) return 0;
    std::size_t terminators = 0;  // among the bytes before the last
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    // Sixteen bytes and the byte after each (so i + 17 <= size). Each lane of
    // `counts` gains at most 2 a step, so it is summed up every 127 steps.
    while (i + 17 <= size) {
        __m128i counts = zero;
        for (int step = 0; step < 127 && i + 17 <= size; ++step, i += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
            const __m128i lfHere = _mm_cmpeq_epi8(here, lf);
            const __m128i loneCr =
                _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr));
            // A match is all ones, -1: subtracting counts it.
            counts = _mm_sub_epi8(counts, lfHere);
            counts = _mm_sub_epi8(counts, loneCr);
        }
        const __m128i sums = _mm_sad_epu8(counts, zero);
        terminators += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                       static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i + 1 < size; ++i) {
        terminators += static_cast<std::size_t>(p[i] == '\n') +
                       static_cast<std::size_t>((p[i] == '\r') & (p[i + 1] != '\n'));
    }
    return terminators + 1;
}

}  // namespace velmora
