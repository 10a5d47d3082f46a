#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "runtime/split.h"

namespace velmora {
namespace {

using Fields = std::vector<std::string_view>;

Fields fieldsOf(std::string_view text, char delimiter) {
    Fields fields;
    forEachField(text, delimiter, [&fields](std::string_view field) {
        fields.push_back(field);
        return true;
    });
    return fields;
}

TEST(ForEachField, CutsAtEveryDelimiterWithoutTrimmingOrMerging) {
    struct Case {
        std::string_view text;
        char delimiter;
        Fields fields;
    };
    const std::vector<Case> cases = {
        {"1  2", ' ', {"1", "", "2"}},
        {"   ", ' ', {"", "", "", ""}},
        {"1 ", ' ', {"1", ""}},
        {"1,2,", ',', {"1", "2", ""}},
        {",5", ',', {"", "5"}},
        {",", ',', {"", ""}},
        {" , 12 ,", ',', {" ", " 12 ", ""}},
        {"a\tb\t\tc", '\t', {"a", "b", "", "c"}},
        {"a b", ',', {"a b"}},
        {"abc", ' ', {"abc"}},
        {"", ',', {}},
    };
    for (const Case& c : cases) EXPECT_EQ(fieldsOf(c.text, c.delimiter), c.fields) << c.text;
}

TEST(ForEachField, VisitsFieldsInOrderAndStopsWhenAsked) {
    Fields seen;
    const std::size_t visited = forEachField("a,b,c,d", ',', [&seen](std::string_view f) {
        seen.push_back(f);
        return seen.size() < 2;
    });
    EXPECT_EQ(visited, 2u);
    EXPECT_EQ(seen, (Fields{"a", "b"}));

    int calls = 0;
    EXPECT_EQ(forEachField("", ',', [&calls](std::string_view) { return ++calls > 0; }), 0u);
    EXPECT_EQ(calls, 0);

    EXPECT_EQ(forEachField(",,", ',', [](std::string_view f) { return f.empty(); }), 3u);
}

}  // namespace
}  // namespace velmora
