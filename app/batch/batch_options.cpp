#include "batch_options.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>

#include "data/data_set.h"
#include "data/field_tokenizer.h"
#include "runtime/split.h"
#include "runtime/text_to_single.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0.0.0"
#endif

namespace velmora::batch {

namespace {

constexpr std::int32_t kMaxTrials = 1000000;
constexpr int kMaxThreads = 256;

// Plain decimal digits only: no sign, no blanks, no exponent. Nullopt when the
// text is not such a number or exceeds `max`.
std::optional<std::uint64_t> wholeNumber(std::string_view text, std::uint64_t max) {
    std::uint64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || value > max) return std::nullopt;
    return value;
}

std::optional<std::int32_t> columnNumber(std::string_view text) {
    const auto v = wholeNumber(text, std::numeric_limits<std::int32_t>::max());
    if (!v || *v == 0) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

// Not "quoted": argument-dependent lookup would find std::quoted for a std::string.
std::string inQuotes(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// A column beyond the most a data set can have names no column of any data
// file, so the command line is wrong whatever the data (a column only this
// data file lacks is a data error).
std::optional<std::string> impossibleColumn(const BatchOptions& o) {
    const std::pair<const char*, std::int32_t> named[] = {
        {"--var1", o.var1.value_or(0)},
        {"--var2", o.var2.value_or(0)},
        {"--descriptives", highestColumn(o.descriptives)},
    };
    for (const auto& [option, column] : named)
        if (column > MAX_VARIABLES)
            return std::string(option) + " names column " + std::to_string(column) +
                   ", beyond the " + std::to_string(MAX_VARIABLES) + " a data set can have";
    return std::nullopt;
}

// How a value sets its option; an error text when the value is refused.
using Setter = std::function<std::optional<std::string>(const std::string&, BatchOptions&)>;

Setter choice(std::string option, std::string allowed,
              std::vector<std::pair<std::string, std::function<void(BatchOptions&)>>> choices) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        for (const auto& [text, apply] : choices) {
            if (value == text) {
                apply(o);
                return std::nullopt;
            }
        }
        return option + " must be " + allowed + ", not " + inQuotes(value);
    };
}

Setter fileName(std::string option, std::string BatchOptions::*target) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        if (value.empty()) return option + " needs a file name";
        o.*target = value;
        return std::nullopt;
    };
}

// What may name a variable of a header line: a text that is not a number
// (no number is ever a name, so "0" and "-1" stay refused).
bool mayBeName(std::string_view text) {
    float ignored = 0.0f;
    return !text.empty() && textToSingle(text, ignored) == NumberParse::NotNumber;
}

Setter column(std::string option, std::optional<std::int32_t> BatchOptions::*target,
              std::string BatchOptions::*name) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        if (const auto c = columnNumber(value)) {
            o.*target = *c;
        } else if (mayBeName(value)) {
            o.*name = value;
        } else {
            return option + " must be a column number from 1, not " + inQuotes(value);
        }
        return std::nullopt;
    };
}

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

// A descriptives list with at least one item that names variables: the
// numeric items as ranges, the others as written. False when malformed.
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

// The one column `name` names in `data`: nullopt with no fault when no
// variable has that name, a fault when several have it.
struct NameLookup {
    std::optional<std::int32_t> column;
    std::optional<std::string> fault;
};

NameLookup lookUpName(std::string_view option, std::string_view name, const DataSet& data) {
    std::vector<std::int32_t> found;
    for (std::size_t j = 0; j < data.variableNames.size(); ++j)
        if (data.variableNames[j] == name) found.push_back(static_cast<std::int32_t>(j) + 1);
    if (found.size() == 1) return {found[0], std::nullopt};
    if (found.empty()) return {};
    std::string which;
    for (std::size_t k = 0; k < found.size(); ++k)
        which += (k == 0 ? "" : k + 1 == found.size() ? " and " : ", ") + variableLabel(found[k]);
    return {std::nullopt, std::string(option) + ": " + inQuotes(name) +
                              " is the name of more than one variable (" + which + ")"};
}

std::string noSuchName(std::string_view option, std::string_view name) {
    return std::string(option) + ": the data file has no variable named " + inQuotes(name);
}

Setter number(std::string option, std::uint64_t low, std::uint64_t high,
              std::function<void(std::uint64_t, BatchOptions&)> apply) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        const auto n = wholeNumber(value, high);
        if (!n || *n < low)
            return option + " must be a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ", not " + inQuotes(value);
        apply(*n, o);
        return std::nullopt;
    };
}

class CommandLine;

// One option: its names, the name of its value (empty for a flag, which takes
// none), its help, and what it sets.
struct OptionSpec {
    char shortName = '\0';  // '\0': a long name only
    std::string longName;
    std::string valueName;
    std::string description;            // lines separated by '\n'
    Setter set;                         // an option with a value
    bool CommandLine::*flag = nullptr;  // a flag
};

// The command line of velmora-batch, read with getopt_long. It is stricter
// than getopt_long in two ways: a long option must be named in full (no
// abbreviations), and a short one must be an argument of its own ("-o FILE",
// never "-oFILE" or "-hV"); an argument spelled otherwise is an unknown
// option. Arguments are read in order and the first fault met is the one
// reported; --help and --version win over every fault.
class CommandLine {
public:
    CommandLine() { declareOptions(); }

    std::string help() const;
    ParseOutcome parse(const std::vector<std::string>& args);

private:
    void declareOptions();
    void value(const std::string& names, const std::string& valueName,
               const std::string& description, Setter set);
    void flag(const std::string& names, bool CommandLine::*set, const std::string& description);

    // The option `arg` names as this program spells options, or nullptr.
    const OptionSpec* optionSpelledBy(std::string_view arg) const;
    // Each option may be given once; `spelling` is how it was written this time.
    void count(const OptionSpec& option, const std::string& spelling) {
        if (++m_counts[option.longName] == 2)
            fail("option " + inQuotes(spelling) + " was given twice");
    }
    // Keeps the first fault.
    void fail(std::string message) {
        if (!m_firstError) m_firstError = std::move(message);
    }
    // What is wrong with the data file and the options together, if anything.
    std::optional<std::string> combinationFault() const;
    ParseOutcome outcome();

    std::vector<OptionSpec> m_specs;
    BatchOptions m_options;
    std::vector<std::string> m_operands;
    bool m_paired = false;
    bool m_help = false;
    bool m_version = false;
    std::map<std::string, int> m_counts;
    std::optional<std::string> m_firstError;
};

void CommandLine::value(const std::string& names, const std::string& valueName,
                        const std::string& description, Setter set) {
    OptionSpec spec;
    spec.shortName = names[0] == '-' && names[1] != '-' ? names[1] : '\0';
    spec.longName = names.substr(names.find("--") + 2);
    spec.valueName = valueName;
    spec.description = description;
    spec.set = std::move(set);
    m_specs.push_back(std::move(spec));
}

void CommandLine::flag(const std::string& names, bool CommandLine::*set,
                       const std::string& description) {
    value(names, {}, description, {});
    m_specs.back().flag = set;
}

const OptionSpec* CommandLine::optionSpelledBy(std::string_view arg) const {
    for (const OptionSpec& spec : m_specs) {
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            if (arg.substr(2, arg.find('=') - 2) == spec.longName) return &spec;
        } else if (arg.size() == 2 && arg[0] == '-' && arg[1] == spec.shortName) {
            return &spec;
        }
    }
    return nullptr;
}

ParseOutcome CommandLine::parse(const std::vector<std::string>& args) {
    // getopt_long keeps its place in globals: one parse at a time.
    static std::mutex getoptInUse;
    const std::lock_guard lock(getoptInUse);

    // "-" first: operands come back in order, as code 1; ":" then: a missing
    // value comes back as ':' and nothing is printed. An option found comes
    // back as its short name or as 256; which one it was is read from the
    // argument itself (optionSpelledBy), since the argument must name it exactly.
    std::string shortOptions = "-:";
    std::vector<option> longOptions;
    for (const OptionSpec& spec : m_specs) {
        if (spec.shortName != '\0') {
            shortOptions += spec.shortName;
            if (spec.set) shortOptions += ':';
        }
        longOptions.push_back(
            {spec.longName.c_str(), spec.set ? required_argument : no_argument, nullptr, 256});
    }
    longOptions.push_back({});

    std::vector<std::string> words = args;  // getopt_long's argv is not const
    std::string programName = "velmora-batch";
    std::vector<char*> argv = {programName.data()};
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(argv.size()) - 1;
    const auto next = [&] {
        return getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
    };

    opterr = 0;
    optind = 0;  // 0, not 1: glibc starts afresh and reads the leading "-" again (getopt(3))
    for (;;) {
        const int at = std::max(optind, 1);  // the argument getopt_long reads now
        const int code = next();
        if (code == -1) break;
        if (code == 1) {
            m_operands.emplace_back(optarg);
            continue;
        }
        const std::string_view arg = argv[at];
        const OptionSpec* spec = optionSpelledBy(arg);
        if (spec == nullptr) {
            fail("unknown option " + inQuotes(arg));
            // Past whatever getopt_long read into it (the rest of "-hV", a
            // value after an abbreviation), and on at the next argument.
            while (optind == at) next();
            optind = at + 1;
            continue;
        }
        count(*spec, std::string(arg.substr(0, arg.find('='))));
        if (code == ':') {
            fail("option " + inQuotes(arg) + " needs a value");
        } else if (code == '?') {  // a flag named in full, with "=" and a value
            fail("option " + inQuotes("--" + spec->longName) + " takes no value");
        } else if (spec->flag != nullptr) {
            this->*spec->flag = true;
        } else if (auto error = spec->set(optarg, m_options)) {
            fail(std::move(*error));
        }
    }
    for (int i = optind; i < argc; ++i) m_operands.emplace_back(argv[i]);  // after "--"
    return outcome();
}

// The help in the layout getopt programs show: the usage line, what the
// program does, the options with a short name beside the long one (the
// description in a column of its own), and the footer.
std::string CommandLine::help() const {
    constexpr std::size_t kColumn = 31;
    std::string text =
        "Usage: velmora-batch [options] DATAFILE\n"
        "\n"
        "Imports DATAFILE as the desktop program's import button does and writes\n"
        "the text it would append to its output pane (CR LF line ends): the import\n"
        "summary, the Descriptives report and the effect-size report.\n"
        "\n"
        "DATAFILE - reads standard input. Fields '.', empty, NA and NaN are missing.\n"
        "A line 1 of names only (pre,post) names the variables, for --var1, --var2\n"
        "and --descriptives; a UTF-8 byte-order mark at the start is skipped.\n"
        "A field in double quotes may hold the delimiter (\"\" is one quote); a\n"
        "header one name short of the data, or with an empty first name, marks\n"
        "column 1 as row names; under a header, a column of texts is a text\n"
        "variable (never analysed). SPSS (.sav, .zsav, .por), Stata (.dta) and\n"
        "SAS (.sas7bdat, .xpt) files are read by their content.\n"
        "\n"
        "Options:\n";
    for (const OptionSpec& spec : m_specs) {
        std::string names = spec.shortName != '\0' ? std::string("  -") + spec.shortName + ", "
                                                   : std::string(6, ' ');
        names += "--" + spec.longName;
        if (!spec.valueName.empty()) names += " " + spec.valueName;
        names += names.size() < kColumn ? std::string(kColumn - names.size(), ' ')
                                        : "\n" + std::string(kColumn, ' ');
        text += names;
        for (const char c : spec.description) {
            text += c;
            if (c == '\n') text.append(kColumn, ' ');
        }
        text += '\n';
    }
    return text +
           "\n"
           "Outputs (-o, --bootstrap-out, --plot, --paired-plot, --json) may not be\n"
           "DATAFILE or one another. Each is written whole beside its file, and all\n"
           "are renamed into place only once every one is complete; a link is\n"
           "followed, a device or FIFO written in place.\n"
           "\n"
           "Exit status: 0 success, 1 data or analysis error, 2 usage error.\n"
           "\n"
           "Example:\n"
           "  velmora-batch --var1 1 --var2 2 --trials 2000 --level 99 --seed 42 \\\n"
           "      --descriptives 1-3 -o report.txt examples/pre_post_scores.txt\n";
}

void CommandLine::declareOptions() {
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

std::optional<std::string> CommandLine::combinationFault() const {
    const BatchOptions& o = m_options;
    if (m_operands.empty()) return "no data file given";
    if (m_operands.size() > 1)
        return "more than one data file given: " + inQuotes(m_operands[0]) + " and " +
               inQuotes(m_operands[1]);
    if (m_operands[0].empty()) return "the data file name is empty";
    if (!o.bootstrapOut.empty() && !o.wantsEffectSize())
        return "--bootstrap-out needs the effect-size analysis (--var1 and --var2)";
    if (!o.plotFile.empty() && !o.wantsEffectSize())
        return "--plot needs the effect-size analysis (--var1 and --var2)";
    if (!o.pairedPlotFile.empty() && !m_paired) return "--paired-plot needs --paired";
    if (m_paired && !o.wantsEffectSize())
        return "--paired needs the effect-size analysis (--var1 and --var2)";
    // Outputs that are one file are found by the run (outputClash), which
    // looks at the files themselves.
    return std::nullopt;
}

ParseOutcome CommandLine::outcome() {
    ParseOutcome outcome;
    outcome.options = m_options;
    outcome.options.paired = m_paired;
    // --help and --version win over every fault.
    if (m_help || m_version) {
        outcome.status = m_help ? ParseStatus::Help : ParseStatus::Version;
        return outcome;
    }
    if (!m_firstError) m_firstError = impossibleColumn(m_options);
    if (!m_firstError) m_firstError = combinationFault();
    if (m_firstError) {
        outcome.status = ParseStatus::UsageError;
        outcome.error = *m_firstError;
        return outcome;
    }
    outcome.status = ParseStatus::Run;
    outcome.options.dataFile = m_operands[0];
    return outcome;
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

std::optional<std::string> resolveVariableNames(BatchOptions& options, const DataSet& data) {
    for (auto [option, name, target] : {std::tuple{"--var1", &options.var1Name, &options.var1},
                                        std::tuple{"--var2", &options.var2Name, &options.var2}}) {
        if (name->empty()) continue;
        const NameLookup found = lookUpName(option, *name, data);
        if (found.fault) return found.fault;
        if (!found.column) return noSuchName(option, *name);
        *target = found.column;
        name->clear();
    }
    constexpr std::string_view kList = "--descriptives";
    for (const std::string& item : options.descriptiveNames) {
        NameLookup whole = lookUpName(kList, item, data);
        if (whole.fault) return whole.fault;
        if (whole.column) {
            options.descriptives.push_back({*whole.column, *whole.column});
            continue;
        }
        // Not one name: a range whose ends are each a column number or a name.
        std::optional<ColumnRange> range;
        for (std::size_t dash = item.find('-'); dash != std::string::npos && !range;
             dash = item.find('-', dash + 1)) {
            std::optional<std::int32_t> ends[2];
            const std::string_view parts[2] = {std::string_view(item).substr(0, dash),
                                               std::string_view(item).substr(dash + 1)};
            for (int k = 0; k < 2; ++k) {
                ends[k] = columnNumber(parts[k]);
                if (ends[k]) continue;
                NameLookup end = lookUpName(kList, parts[k], data);
                if (end.fault) return end.fault;
                ends[k] = end.column;
            }
            if (!ends[0] || !ends[1]) continue;
            if (*ends[0] > *ends[1])
                return std::string(kList) + ": the range " + inQuotes(item) + " runs from " +
                       variableLabel(*ends[0]) + " back to " + variableLabel(*ends[1]);
            range = ColumnRange{*ends[0], *ends[1]};
        }
        if (!range) return noSuchName(kList, item);
        options.descriptives.push_back(*range);
    }
    options.descriptiveNames.clear();
    return std::nullopt;
}

ParseOutcome parseBatchArguments(const std::vector<std::string>& args) {
    return CommandLine().parse(args);
}

std::string batchUsageText() {
    return CommandLine().help();
}

std::string batchVersionText() {
    return "velmora-batch " VELMORA_VERSION "\n";
}

std::string batchVersion() {
    return VELMORA_VERSION;
}

}  // namespace velmora::batch
