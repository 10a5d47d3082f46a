#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/arithmetic.h"
#include "column_list.h"
#include "data/data_set.h"

namespace velmora::batch {

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
    std::string bootstrapOut;    // empty: no CSV
    std::string outputFile;      // empty: standard output
    std::string plotFile;        // empty: no SVG picture of the trials
    std::string pairedPlotFile;  // empty: no SVG estimation plot of the paired run
    // As written; the column list is formed only after the data's width is known,
    // so that "1-2000000000" costs nothing before it is refused.
    std::vector<ColumnRange> descriptives;
    // The items of the descriptives list that name variables ("pre",
    // "pre-post", "pre-5"), as written; resolveVariableNames adds their
    // columns to `descriptives`.
    std::vector<std::string> descriptiveNames;
    int threads = 0;                           // 0: the engine chooses
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

std::string batchUsageText();
std::string batchVersionText();
// The version alone ("1.4.0").
std::string batchVersion();

}  // namespace velmora::batch
