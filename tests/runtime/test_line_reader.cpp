#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "runtime/line_reader.h"

namespace velmora {
namespace {

std::vector<std::string> readAll(std::string_view text) {
    std::vector<std::string> lines;
    LineReader reader(text);
    while (!reader.atEnd()) lines.emplace_back(reader.nextLine());
    return lines;
}

struct LineCase {
    std::string_view name;
    std::string_view text;
    std::vector<std::string> lines;
};

TEST(LineReader, CrLfOrLoneCrEndsALineAndLoneLfIsOrdinary) {
    const std::vector<LineCase> cases = {
        {"crlf", "a\r\nb", {"a", "b"}},
        {"lone cr", "a\rb", {"a", "b"}},
        {"lone lf inside a line", "a\nb", {"a\nb"}},
        {"lone lf at end stays in the line", "a\n", {"a\n"}},
        {"lf alone is a line", "\n", {"\n"}},
        {"last line without terminator", "x\r\ny", {"x", "y"}},
        {"crlf at end adds no line", "a\r\n", {"a"}},
        {"cr at end adds no line", "a\r", {"a"}},
        {"blank line in the middle", "a\r\n\r\nb", {"a", "", "b"}},
        {"blank last line", "a\r\n\r\n", {"a", ""}},
        {"only a terminator", "\r\n", {""}},
        {"cr then crlf", "a\r\r\nb", {"a", "", "b"}},
        {"lf after crlf starts the next line", "a\r\n\nb", {"a", "\nb"}},
        {"lf then cr", "a\n\r", {"a\n"}},
        {"mixed", "x\ry\r\nz\n", {"x", "y", "z\n"}},
        {"empty text", "", {}},
        {"cr in the middle of blanks", "  \r  ", {"  ", "  "}},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(readAll(c.text), c.lines) << c.name;
        EXPECT_EQ(countLines(c.text), c.lines.size()) << c.name;
    }
}

TEST(LineReader, KeepsEveryByteOfTheLine) {
    const std::string text("a\0b\xff\r\n\t \x80", 9);
    const std::vector<std::string> expected = {std::string("a\0b\xff", 4), "\t \x80"};
    EXPECT_EQ(readAll(text), expected);
}

TEST(LineReader, FindLineGivesEndAndStartOfNext) {
    const std::string_view text = "ab\r\ncd\re";
    LineSpan span = findLine(text, 0);
    EXPECT_EQ(span.end, 2u);
    EXPECT_EQ(span.next, 4u);
    span = findLine(text, 4);
    EXPECT_EQ(span.end, 6u);
    EXPECT_EQ(span.next, 7u);
    span = findLine(text, 7);
    EXPECT_EQ(span.end, 8u);
    EXPECT_EQ(span.next, 8u);
    span = findLine(text, 8);
    EXPECT_EQ(span.end, 8u);
    EXPECT_EQ(span.next, 8u);
}

TEST(LineReader, CountsManyLinesLikeTheReader) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += (i % 3 == 0) ? "1 2\r\n" : (i % 3 == 1 ? "\r" : "x\ny\r");
    text += "tail";
    EXPECT_EQ(countLines(text), 1001u);
    EXPECT_EQ(readAll(text).size(), 1001u);
}

}  // namespace
}  // namespace velmora
