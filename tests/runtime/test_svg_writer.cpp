#include <gtest/gtest.h>

#include <string>

#include "runtime/svg_writer.h"

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

TEST(SvgWriter, WritesEscapedElementsWithCrLfLineEnds) {
    SvgWriter svg(800, 600, "Arial, sans-serif");
    svg.openGroup("p&1");
    SvgStyle bar;
    bar.fill = "#7da0d0";
    bar.cssClass = "bar";
    svg.rect(1, 2.5, 3, 4, bar, "3 <trials>");
    SvgStyle dashed;
    dashed.stroke = "#8a5a00";
    dashed.strokeWidth = 1.5;
    dashed.dashArray = "6 4";
    svg.line(0, 0, 10, 0, dashed);
    SvgTextStyle label;
    label.anchor = TextAnchor::End;
    label.bold = true;
    label.cssClass = "title";
    svg.text(5, 6, "Cohen's D", label);
    svg.closeGroup();
    EXPECT_EQ(svg.finish(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
              "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"800\" "
              "height=\"600\" viewBox=\"0 0 800 600\" font-family=\"Arial, sans-serif\">\r\n"
              "  <g id=\"p&amp;1\">\r\n"
              "    <rect x=\"1\" y=\"2.5\" width=\"3\" height=\"4\" class=\"bar\" "
              "fill=\"#7da0d0\"><title>3 &lt;trials&gt;</title></rect>\r\n"
              "    <line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\" stroke=\"#8a5a00\" "
              "stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>\r\n"
              "    <text class=\"title\" x=\"5\" y=\"6\" font-size=\"12\" font-weight=\"bold\" "
              "text-anchor=\"end\" fill=\"#000000\">Cohen&apos;s D</text>\r\n"
              "  </g>\r\n"
              "</svg>\r\n");
}

}  // namespace
}  // namespace velmora
