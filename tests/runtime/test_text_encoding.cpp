#include <gtest/gtest.h>

#include <string_view>

#include "runtime/text_encoding.h"

namespace velmora {
namespace {

TEST(TextEncoding, OnlyWellFormedUtf8IsValid) {
    struct Case {
        std::string_view name;
        std::string_view bytes;
        bool valid;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ascii with controls", std::string_view("a\r\n\t\0z", 6), true},
        {"two bytes", "caf\xC3\xA9", true},
        {"three bytes", "\xE2\x82\xAC", true},
        {"four bytes, the last code point", "\xF4\x8F\xBF\xBF", true},
        {"latin-1 byte alone", "caf\xE9", false},
        {"continuation byte alone", "\x80", false},
        {"overlong two bytes", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x9F\xBF", false},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lead byte F5", "\xF5\x80\x80\x80", false},
        {"cut short at the end", "ok\xE2\x82", false},
        {"second byte no continuation", "\xC3(", false},
        {"third byte no continuation", "\xE2\x82(", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.name;
}

}  // namespace
}  // namespace velmora
