#include "column_list.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "batch_options.h"
#include "option_values.h"
#include "runtime/split.h"
#include "runtime/text_to_single.h"

namespace velmora::batch {

using cli::columnNumber;

namespace {

// A list item made of numbers and dashes only, which the column list refused:
// malformed whatever the data file's names ("3-1", "1.5", "1-2-3").
bool isNumberShaped(std::string_view item) {
    bool shaped = true;
    forEachField(item, '-', [&](std::string_view part) {
        float ignored = 0.0f;
        shaped = part.empty() || textToSingle(part, ignored) != NumberParse::NotNumber;
        return shaped;
    });
    return shaped;
}

}  // namespace

std::optional<std::vector<ColumnRange>> parseColumnList(const std::string& text) {
    std::vector<ColumnRange> ranges;
    bool valid = true;
    forEachField(text, ',', [&](std::string_view item) {
        const std::size_t dash = item.find('-');
        const auto first = columnNumber(item.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : columnNumber(item.substr(dash + 1));
        valid = first && last && *first <= *last;
        if (valid) ranges.push_back({*first, *last});
        return valid;
    });
    // An empty text has no field at all, and is no list either.
    if (!valid || ranges.empty()) return std::nullopt;
    return ranges;
}

std::int32_t highestColumn(const std::vector<ColumnRange>& ranges) {
    std::int32_t highest = 0;
    for (const auto& r : ranges) highest = std::max(highest, r.last);
    return highest;
}

std::vector<std::int32_t> expandColumns(const std::vector<ColumnRange>& ranges) {
    std::vector<std::int32_t> columns;
    for (const auto& r : ranges)
        for (std::int32_t c = r.first; c <= r.last; ++c) columns.push_back(c);
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    return columns;
}

bool parseNamedColumnList(const std::string& text, BatchOptions& o) {
    std::vector<ColumnRange> ranges;
    std::vector<std::string> names;
    bool valid = true;
    forEachField(text, ',', [&](std::string_view item) {
        if (const auto numeric = parseColumnList(std::string(item))) {
            ranges.insert(ranges.end(), numeric->begin(), numeric->end());
        } else if (!item.empty() && !isNumberShaped(item)) {
            names.emplace_back(item);
        } else {
            valid = false;
        }
        return valid;
    });
    if (!valid || names.empty()) return false;
    o.descriptives = std::move(ranges);
    o.descriptiveNames = std::move(names);
    return true;
}

}  // namespace velmora::batch
