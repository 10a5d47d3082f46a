#pragma once

#include <string>
#include <string_view>

namespace velmora {

// How the bytes of a text file stand for characters. UTF-8 is the system's
// encoding; Latin-1 maps every byte to the character of the same number, so
// any byte sequence reads and writes back unchanged.
enum class TextEncoding { Utf8, Latin1 };

// Whether `bytes` are well-formed UTF-8: no overlong forms, no surrogates,
// nothing beyond U+10FFFF, no sequence cut short. An empty text is valid.
bool isValidUtf8(std::string_view bytes);

// `bytes` read as Latin-1, written as UTF-8: each byte is the character of
// its number.
std::string latin1ToUtf8(std::string_view bytes);

// The text of bytes that may not be UTF-8, by the pane's rule: valid UTF-8
// stands as it is, anything else is read as Latin-1.
std::string utf8OrLatin1(std::string_view bytes);

}  // namespace velmora
