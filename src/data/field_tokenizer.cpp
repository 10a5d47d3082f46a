#include "data/field_tokenizer.h"

#include "runtime/line_reader.h"

namespace velmora {

bool FieldTokenizer::isDelimiter(char c) const {
    return m_delimiter == kWhitespaceDelimiter ? (c == ' ' || c == '\t') : c == m_delimiter;
}

TokenField& FieldTokenizer::nextField() {
    if (m_count == m_fields.size()) m_fields.emplace_back();
    TokenField& field = m_fields[m_count++];
    field.text.clear();
    field.quoted = false;
    return field;
}

void FieldTokenizer::readField() {
    const std::size_t size = m_text.size();
    const std::size_t start = m_pos;
    TokenField& field = nextField();
    if (start < size && m_text[start] == '"') {
        std::size_t p = start + 1;
        std::int64_t lineBreaks = 0;
        for (;;) {
            if (p == size) break;  // never closed
            const char c = m_text[p];
            if (c == '"') {
                if (p + 1 < size && m_text[p + 1] == '"') {
                    field.text += '"';
                    p += 2;
                    continue;
                }
                ++p;
                if (p == size || isDelimiter(m_text[p]) || isLineEndChar(m_text[p])) {
                    field.quoted = true;
                    m_pos = p;
                    m_line += lineBreaks;
                    return;
                }
                break;  // text after the closing quote
            }
            if (c == '\r' || c == '\n') {
                // CR LF is one line break, as the line rule counts it.
                if (!(c == '\n' && p > start && m_text[p - 1] == '\r')) ++lineBreaks;
            }
            field.text += c;
            ++p;
        }
        field.text.clear();
    }
    std::size_t p = start;
    while (p < size && !isDelimiter(m_text[p]) && !isLineEndChar(m_text[p])) ++p;
    field.text.assign(m_text.substr(start, p - start));
    m_pos = p;
}

bool FieldTokenizer::next() {
    const std::size_t size = m_text.size();
    if (m_pos >= size) return false;
    m_count = 0;
    m_recordLine = m_line;
    const auto atLineEnd = [&] { return m_pos == size || isLineEndChar(m_text[m_pos]); };
    if (m_delimiter == kWhitespaceDelimiter) {
        for (;;) {
            while (m_pos < size && isDelimiter(m_text[m_pos])) ++m_pos;
            if (atLineEnd()) break;
            readField();
        }
    } else if (!atLineEnd()) {  // an empty line has no fields
        for (;;) {
            readField();
            if (atLineEnd()) break;
            ++m_pos;  // past the delimiter
            if (atLineEnd()) {
                nextField();  // a delimiter right before the line end leaves one empty field
                break;
            }
        }
    }
    if (m_pos < size) {
        m_pos = static_cast<std::size_t>(skipLineEnd(m_text.data() + m_pos, m_text.data() + size) -
                                         m_text.data());
        ++m_line;
    }
    return true;
}

}  // namespace velmora
