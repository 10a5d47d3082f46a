#include "runtime/text_encoding.h"

#include <cstddef>

namespace velmora {

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        // The second byte's range carries the limits that a lead byte alone
        // cannot: no overlong form, no surrogate, nothing past U+10FFFF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length) return false;
        if (p[i + 1] < low || p[i + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
        }
        i += length;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8OrLatin1(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : latin1ToUtf8(bytes);
}

}  // namespace velmora
