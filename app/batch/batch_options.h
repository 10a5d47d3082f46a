#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/arithmetic.h"
#include "data/data_set.h"

namespace velmora::batch {

// An inclusive run of 1-based columns, first <= last.
struct ColumnRange {
    std::int32_t first = 0;
    std::int32_t last = 0;
};

// Everything the command line chose for one batch run.
struct BatchOptions {
    std::string dataFile;
    char delimiter = ' ';
    // Column numbers; absent ones reach the analysis as "not selected".
    std::optional<std::int32_t> var1;
    std::optional<std::int32_t> var2;
    // A variable given by the name the data file's header line gives it
    // instead of by number: known only once the file is read
    // (resolveVariableNames sets var1 and var2 then).
    std::string var1Name;
    std::string var2Name;
    std::int32_t trials = 600;
    float confidenceLevel = 0.95f;  // 0.9f, 0.95f or 0.99f
    std::int32_t sdFrom = 1;
    std::optional<std::uint64_t> seed;
    std::string bootstrapOut;  // empty: no CSV
    std::string outputFile;    // empty: standard output
    std::string plotFile;      // empty: no SVG picture of the trials
    std::string pairedPlotFile;  // empty: no SVG estimation plot of the paired run
    // As written; the column list is formed only after the data's width is known,
    // so that "1-2000000000" costs nothing before it is refused.
    std::vector<ColumnRange> descriptives;
    // The items of the descriptives list that name variables ("pre",
    // "pre-post", "pre-5"), as written; resolveVariableNames adds their
    // columns to `descriptives`.
    std::vector<std::string> descriptiveNames;
    int threads = 0;  // 0: the engine chooses
    Arithmetic arithmetic = Arithmetic::Auto;  // as the desktop program always computes
    bool paired = false;                       // the paired d family's block (and CSV columns) too
    std::string jsonFile;                      // empty: no JSON document of the run

    // The effect-size analysis runs when either variable was named.
    bool wantsEffectSize() const {
        return var1.has_value() || var2.has_value() || !var1Name.empty() || !var2Name.empty();
    }
    bool wantsDescriptives() const { return !descriptives.empty() || !descriptiveNames.empty(); }
};

enum class ParseStatus { Run, Help, Version, UsageError };

struct ParseOutcome {
    ParseStatus status = ParseStatus::Run;
    BatchOptions options;
    std::string error;  // UsageError: one line, no program name, no period
};

// Parses the arguments after the program name. Long options are named in full
// and take their value as the next argument or after "="; a short option is an
// argument of its own, its value the next one; "--" ends the options. Each
// option may be given once; the first fault in argument order is the one
// reported, but --help and --version win over everything else.
ParseOutcome parseBatchArguments(const std::vector<std::string>& args);

// The descriptives column list ("1,3-5"): comma-separated columns or ranges,
// each column a whole number from 1. Nullopt when malformed.
std::optional<std::vector<ColumnRange>> parseColumnList(const std::string& text);

// The distinct columns of `ranges` in increasing order, as ticks in a list
// give them. The caller bounds the ranges first (highestColumn).
std::vector<std::int32_t> expandColumns(const std::vector<ColumnRange>& ranges);

// Largest column named in `ranges` (0 when empty).
std::int32_t highestColumn(const std::vector<ColumnRange>& ranges);

// Sets the columns of the variables `options` names by name, from the names
// of `data`: a name must be the name of exactly one variable, a range of
// names must not run backwards. The first fault (a usage error text, as
// ParseOutcome's) otherwise. A list item is first taken as one name, so a
// name may hold "-"; only then as a range of two names or column numbers.
std::optional<std::string> resolveVariableNames(BatchOptions& options, const DataSet& data);

std::string batchUsageText();
std::string batchVersionText();
// The version alone ("1.4.0").
std::string batchVersion();

}  // namespace velmora::batch
