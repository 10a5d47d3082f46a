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

TEST(LineReader, CrLfLoneCrAndLoneLfEachEndALine) {
    const std::vector<LineCase> cases = {
        {"crlf", "a\r\nb", {"a", "b"}},
        {"lone cr", "a\rb", {"a", "b"}},
        {"lone lf", "a\nb", {"a", "b"}},
        {"lf at end adds no line", "a\n", {"a"}},
        {"lf alone is an empty line", "\n", {""}},
        {"last line without terminator", "x\r\ny", {"x", "y"}},
        {"crlf at end adds no line", "a\r\n", {"a"}},
        {"cr at end adds no line", "a\r", {"a"}},
        {"blank line in the middle", "a\r\n\r\nb", {"a", "", "b"}},
        {"blank last line", "a\r\n\r\n", {"a", ""}},
        {"blank last line after lf", "a\n\n", {"a", ""}},
        {"only a terminator", "\r\n", {""}},
        {"cr then crlf", "a\r\r\nb", {"a", "", "b"}},
        {"lf after crlf is an empty line", "a\r\n\nb", {"a", "", "b"}},
        {"lf then cr are two ends", "a\n\r", {"a", ""}},
        {"mixed", "x\ry\r\nz\nw", {"x", "y", "z", "w"}},
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
    const std::string_view text = "ab\r\ncd\re\nf";
    const struct {
        std::size_t pos, end, next;
    } spans[] = {{0, 2, 4}, {4, 6, 7}, {7, 8, 9}, {9, 10, 10}, {10, 10, 10}};
    for (const auto& s : spans) {
        const LineSpan span = findLine(text, s.pos);
        EXPECT_EQ(span.end, s.end) << s.pos;
        EXPECT_EQ(span.next, s.next) << s.pos;
    }
}

TEST(LineReader, CountsLineEndsAtEveryPositionOfALongText) {
    // Counted sixteen bytes at a time: here every kind of line end falls on
    // every position within sixteen bytes, a CR LF also across two of them.
    std::string text;
    for (int pad = 1; pad <= 64; ++pad) {
        text += std::string(pad, 'x') + "\r\n" + std::string(pad, 'y') + "\r" +
                std::string(pad, 'z') + "\n";
    }
    text += "tail";
    EXPECT_EQ(countLines(text), 64u * 3 + 1);
}

TEST(LineReader, CountsManyLinesLikeTheReader) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += (i % 3 == 0) ? "1 2\r\n" : (i % 3 == 1 ? "\r" : "x\ny\r");
    text += "tail";
    // 334 lines of "1 2", 333 empty ones, 333 x 2 of "x" and "y", and the tail.
    EXPECT_EQ(countLines(text), 1334u);
    EXPECT_EQ(readAll(text).size(), 1334u);
}

}  // namespace
}  // namespace velmora
