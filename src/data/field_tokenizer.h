#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The delimiter value that stands for "any run of blanks and tabs": leading
// and trailing runs make no field, so aligned columns read as they look.
inline constexpr char kWhitespaceDelimiter = '\0';
// Between fields of the spreadsheets of locales with a decimal comma.
inline constexpr char kSemicolonDelimiter = ';';

// One field of a record. `quoted` when the field was written in double
// quotes: its text is then what the quotes held, with "" read as one ".
struct TokenField {
    std::string text;
    bool quoted = false;
};

// Cuts text into records of fields by the common CSV convention: a field
// that starts with " runs to the matching ", may hold the delimiter and line
// breaks, and "" inside is one ". A field whose quotes are not closed right
// before a delimiter or the line end is no quoted field: it is read as it
// stands, up to the next delimiter, as if it had no quotes. Lines end as the
// line rule says (CR LF, CR, LF); an empty line is a record without fields.
class FieldTokenizer {
public:
    FieldTokenizer(std::string_view text, char delimiter) : m_text(text), m_delimiter(delimiter) {}

    // Reads the next record; false at the end of the text.
    bool next();
    const std::vector<TokenField>& fields() const { return m_fields; }
    std::size_t fieldCount() const { return m_count; }
    // The line of the text (from 1) on which the record starts.
    std::int64_t line() const { return m_recordLine; }

private:
    bool isDelimiter(char c) const;
    TokenField& nextField();
    void readField();

    std::string_view m_text;
    char m_delimiter;
    std::size_t m_pos = 0;
    std::int64_t m_line = 1;
    std::int64_t m_recordLine = 0;
    std::vector<TokenField> m_fields;  // the first m_count are the record's
    std::size_t m_count = 0;
};

}  // namespace velmora
