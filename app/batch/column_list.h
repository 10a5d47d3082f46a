#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The descriptives option's column grammar.
namespace velmora::batch {

struct BatchOptions;

// An inclusive run of 1-based columns, first <= last.
struct ColumnRange {
    std::int32_t first = 0;
    std::int32_t last = 0;
};

// The descriptives column list ("1,3-5"): comma-separated columns or ranges,
// each column a whole number from 1. Nullopt when malformed.
std::optional<std::vector<ColumnRange>> parseColumnList(const std::string& text);

// The distinct columns of `ranges` in increasing order, as ticks in a list
// give them. The caller bounds the ranges first (highestColumn).
std::vector<std::int32_t> expandColumns(const std::vector<ColumnRange>& ranges);

// Largest column named in `ranges` (0 when empty).
std::int32_t highestColumn(const std::vector<ColumnRange>& ranges);

// A descriptives list with at least one item that names variables: the
// numeric items as ranges, the others as written, into `o`'s descriptives
// and descriptiveNames. False, and `o` as it was, when malformed.
bool parseNamedColumnList(const std::string& text, BatchOptions& o);

}  // namespace velmora::batch
