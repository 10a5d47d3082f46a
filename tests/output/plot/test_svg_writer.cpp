#include <gtest/gtest.h>

#include <string>

#include "output/plot/svg_writer.h"

namespace velmora {
namespace {

TEST(XmlEscape, EscapesMarkupAndReplacesWhatXmlCannotHold) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        const char* name;
        std::string text;
        std::string escaped;
    };
    const Case cases[] = {
        {"markup", "a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
        {"UTF-8 kept", "caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"Latin-1 byte", "caf\xE9.txt", "caf" + fffd + ".txt"},
        {"controls but tab",
         std::string("a\x01"
                     "b\tc\x1F",
                     6),
         "a" + fffd + "b\tc" + fffd},
        {"overlong slash", "\xC0\xAF", fffd + fffd},
        {"surrogate", "\xED\xA0\x80", fffd + fffd + fffd},
        {"not a character", "\xEF\xBF\xBE", fffd + fffd + fffd},
        {"cut short at the end", "x\xE2\x82", "x" + fffd + fffd},
    };
    for (const Case& c : cases) EXPECT_EQ(xmlEscape(c.text), c.escaped) << c.name;
}

TEST(SvgWriter, NumbersHaveAtMostTwoDecimalsAndNoNegativeZero) {
    EXPECT_EQ(svgNumber(400.0), "400");
    EXPECT_EQ(svgNumber(12.5), "12.5");
    EXPECT_EQ(svgNumber(-3.254), "-3.25");
    EXPECT_EQ(svgNumber(1.999), "2");
    EXPECT_EQ(svgNumber(-0.001), "0");
}

}  // namespace
}  // namespace velmora
