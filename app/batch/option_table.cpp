#include <cstdint>
#include <limits>

#include "column_list.h"
#include "command_line.h"
#include "data/field_tokenizer.h"

namespace velmora::batch::cli {

namespace {

constexpr std::int32_t kMaxTrials = 1000000;
constexpr int kMaxThreads = 256;

}  // namespace

void CommandLine::declareOptions() {
    declareDataOptions();
    declareOutputOptions();
    declareRunOptions();
}

// What is read and how the effect-size bootstrap runs.
void CommandLine::declareDataOptions() {
    value("-d,--delimiter", "space|comma|tab|semicolon|whitespace",
          "field delimiter (default space): one blank,\n"
          "comma or tab; semicolon (a comma in a number is\n"
          "its decimal mark); whitespace (any run of blanks\n"
          "and tabs, leading and trailing ones ignored)",
          choice("--delimiter", "space, comma, tab, semicolon or whitespace",
                 {{"space", [](BatchOptions& o) { o.delimiter = ' '; }},
                  {"comma", [](BatchOptions& o) { o.delimiter = ','; }},
                  {"tab", [](BatchOptions& o) { o.delimiter = '\t'; }},
                  {"semicolon", [](BatchOptions& o) { o.delimiter = kSemicolonDelimiter; }},
                  {"whitespace", [](BatchOptions& o) { o.delimiter = kWhitespaceDelimiter; }}}));
    value("--var1", "N|NAME",
          "variable 1 of the effect-size bootstrap: column N\n"
          "(1 to 1000), or the variable a header line names",
          column("--var1", &BatchOptions::var1, &BatchOptions::var1Name));
    value("--var2", "M|NAME",
          "variable 2 of the effect-size bootstrap: column M\n"
          "(1 to 1000), or the variable a header line names",
          column("--var2", &BatchOptions::var2, &BatchOptions::var2Name));
    value("--trials", "T", "bootstrap trials, 1 to 1000000 (default 600)",
          number("--trials", 1, kMaxTrials, [](std::uint64_t n, BatchOptions& o) {
              o.trials = static_cast<std::int32_t>(n);
          }));
    // The nearest singles, exactly as the dialog's option buttons hold them.
    value("--level", "90|95|99", "confidence level in percent (default 95)",
          choice("--level", "90, 95 or 99",
                 {{"90", [](BatchOptions& o) { o.confidenceLevel = 0.9f; }},
                  {"95", [](BatchOptions& o) { o.confidenceLevel = 0.95f; }},
                  {"99", [](BatchOptions& o) { o.confidenceLevel = 0.99f; }}}));
    value("--sd-from", "1|2", "variable whose SD the nonpooled d uses (default 1)",
          choice("--sd-from", "1 or 2",
                 {{"1", [](BatchOptions& o) { o.sdFrom = 1; }},
                  {"2", [](BatchOptions& o) { o.sdFrom = 2; }}}));
    value("--seed", "S",
          "random seed, 0 to 18446744073709551615; without it\n"
          "the seed comes from the clock and is written to\n"
          "standard error as 'seed: S'",
          number("--seed", 0, std::numeric_limits<std::uint64_t>::max(),
                 [](std::uint64_t s, BatchOptions& o) { o.seed = s; }));
}

// The files written besides the text.
void CommandLine::declareOutputOptions() {
    value("--bootstrap-out", "FILE", "CSV of every trial's four estimates",
          fileName("--bootstrap-out", &BatchOptions::bootstrapOut));
    value("--plot", "FILE",
          "SVG picture of the trials: each estimator's\n"
          "histogram, interval and observed estimate",
          fileName("--plot", &BatchOptions::plotFile));
    value("--paired-plot", "FILE",
          "SVG estimation plot of the paired run (with\n"
          "--paired): the pairs, and d_z's trials with its\n"
          "observed value, percentile and BCa limits",
          fileName("--paired-plot", &BatchOptions::pairedPlotFile));
    value("--json", "FILE",
          "every figure of the run (options, group statistics,\n"
          "estimates, limits, valid trials, the paired block,\n"
          "Descriptives) as one JSON document",
          fileName("--json", &BatchOptions::jsonFile));
    value("-o,--output", "FILE", "write the text to FILE instead of standard output",
          fileName("--output", &BatchOptions::outputFile));
}

// The other analyses, how they compute, and the flags.
void CommandLine::declareRunOptions() {
    value("--descriptives", "LIST",
          "Descriptives of columns such as 1,3-5, or of\n"
          "named variables (pre,post or pre-age)",
          [](const std::string& text, BatchOptions& o) -> std::optional<std::string> {
              if (auto ranges = parseColumnList(text)) {
                  o.descriptives = std::move(*ranges);
              } else if (!parseNamedColumnList(text, o)) {
                  return "--descriptives must be a list of columns such as 1,3-5, not " +
                         inQuotes(text);
              }
              return std::nullopt;
          });
    value("--threads", "N",
          "threads that compute the trials, 0 to 256; 0 (the\n"
          "default) uses one per hardware thread; the output\n"
          "does not depend on it",
          number("--threads", 0, kMaxThreads,
                 [](std::uint64_t n, BatchOptions& o) { o.threads = static_cast<int>(n); }));
    value("--arithmetic", "auto|single|double",
          "how the statistics are computed: single\n"
          "precision as the reports always have been,\n"
          "double precision from exact sums, or (auto,\n"
          "the default, as the desktop program) single\n"
          "unless it loses accuracy for a variable, which\n"
          "the report then names; double precision uses\n"
          "the values as written in DATAFILE for variables\n"
          "whose values singles cannot hold",
          choice("--arithmetic", "auto, single or double",
                 {{"auto", [](BatchOptions& o) { o.arithmetic = Arithmetic::Auto; }},
                  {"single", [](BatchOptions& o) { o.arithmetic = Arithmetic::Single; }},
                  {"double", [](BatchOptions& o) { o.arithmetic = Arithmetic::Double; }}}));
    flag("--paired", &CommandLine::m_paired,
         "also the paired d family (d_z, robust d_z, d_rm,\n"
         "d_av, d_b, robust d_av with Hedges' g, percentile\n"
         "and BCa intervals, the analytic ones of d_z and\n"
         "d_b, and the paired t test) from the same trials,\n"
         "in a block after the effect-size report; with\n"
         "--bootstrap-out its columns too");
    flag("-h,--help", &CommandLine::m_help, "show this help");
    flag("-V,--version", &CommandLine::m_version, "show the version");
}

}  // namespace velmora::batch::cli
