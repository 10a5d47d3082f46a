#include "batch_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

#include "data/data_set.h"
#include "runtime/split.h"

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

// Not "quoted": CLI11 brings std::quoted into the lookup of string arguments.
std::string inQuotes(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// CLI11 reads a few spellings more freely than this program does: text
// attached to a short option ("-ofile"), a dash before a digit or a sign as an
// operand ("-5", "---x"), an empty value after "=" as no value at all (taking
// the next argument instead), and "[a,b]" as two operands. A command line
// never holds a NUL byte, so a NUL put into such an argument makes CLI11 see
// an unknown option or a plain value, and removing every NUL gives back the
// argument as written. Values after "=" carry one as well, so that a flag can
// tell "--help=true" from "--help".
constexpr char kMark = '\0';

bool isCli11NameStart(char c) {
    return c != '-' && c != '!' && c != ' ' && c != '\n';
}

std::string marked(const std::string& arg) {
    const std::string mark(1, kMark);
    if (arg.empty()) return mark;
    if (arg.front() == '[' && arg.back() == ']') return arg + mark;
    if (arg == "-" || arg == "--" || arg[0] != '-') return arg;
    if (arg[1] == '-') {
        if (!isCli11NameStart(arg[2])) return "--" + mark + arg.substr(2);
        return arg.find('=') == std::string::npos ? arg : arg + mark;
    }
    const bool plainShort =
        arg.size() == 2 && isCli11NameStart(arg[1]) && !(arg[1] >= '0' && arg[1] <= '9');
    return plainShort ? arg : "-" + mark + arg.substr(1);
}

std::string unmarked(std::string text) {
    std::erase(text, kMark);
    return text;
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

Setter column(std::string option, std::optional<std::int32_t> BatchOptions::*target) {
    return [=](const std::string& value, BatchOptions& o) -> std::optional<std::string> {
        const auto c = columnNumber(value);
        if (!c) return option + " must be a column number from 1, not " + inQuotes(value);
        o.*target = *c;
        return std::nullopt;
    };
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

// CLI11's help, laid out as getopt programs show theirs: the usage line first,
// then what the program does, the options with a short name beside the long
// one, and the footer.
class BatchHelp : public CLI::Formatter {
public:
    BatchHelp() { column_width(31); }
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        return make_usage(app, name) + "\n" + make_description(app) + make_groups(app, mode) +
               "\n" + make_footer(app);
    }
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: velmora-batch [options] DATAFILE\n";
    }
    std::string make_option_name(const CLI::Option* option, bool) const override {
        const std::vector<std::string>& shortNames = option->get_snames();
        return (shortNames.empty() ? "    " : "-" + shortNames.front() + ", ") + "--" +
               option->get_lnames().front();
    }
};

// The command line of velmora-batch in CLI11: every option with its help and
// what its value sets. A parse takes the arguments in order; each option's
// value is applied as CLI11 meets it, so the first fault in argument order is
// the one reported.
class CommandLine {
public:
    CommandLine() {
        m_app.description(
            "Imports DATAFILE as the desktop program's import button does and writes\n"
            "the text it would append to its output pane (CR LF line ends): the import\n"
            "summary, the Descriptives report and the effect-size report.");
        m_app.footer(
            "Outputs (-o, --bootstrap-out, --plot) may not be DATAFILE or one another.\n"
            "Each is written whole beside its file, and all are renamed into place only\n"
            "once every one is complete; a link is followed, a device or FIFO written\n"
            "in place.\n"
            "\n"
            "Exit status: 0 success, 1 data or analysis error, 2 usage error.\n"
            "\n"
            "Example:\n"
            "  velmora-batch --var1 1 --var2 2 --trials 2000 --level 99 --seed 42 \\\n"
            "      --descriptives 1-3 -o report.txt examples/pre_post_scores.txt");
        m_app.formatter(std::make_shared<BatchHelp>());
        m_app.set_help_flag();  // -h and --help are declared below, as every other option
        m_app.allow_extras();   // unknown options are reported in argument order
        declareOptions();
        m_app
            .add_option("DATAFILE",
                        [this](const CLI::results_t& results) {
                            for (const std::string& r : results) m_operands.push_back(unmarked(r));
                            return true;
                        })
            ->expected(0, -1)
            ->allow_extra_args();
    }

    std::string help() const { return m_app.help(); }

    ParseOutcome parse(const std::vector<std::string>& args) {
        for (const std::string& arg : args) m_marked.push_back(marked(arg));
        m_pending.assign(m_marked.rbegin(), m_marked.rend());  // CLI11 takes them from the back
        try {
            m_app.parse(m_pending);
        } catch (const CLI::ArgumentMismatch&) {
            // The one CLI11 raises here: the last argument is an option without its value.
            const std::string last = unmarked(m_marked.back());
            if (const CLI::Option* option = m_app.get_option_no_throw(last))
                count("--" + option->get_lnames().front(), last);
            fail("option " + inQuotes(last) + " needs a value");
        }
        return outcome();
    }

private:
    void declareOptions();
    void value(const std::string& names, const std::string& valueName,
               const std::string& description, Setter set);
    void flag(const std::string& names, bool CommandLine::*set, const std::string& description);

    // Each option may be given once; `spelling` is how it was written this time.
    void count(const std::string& option, const std::string& spelling) {
        if (++m_counts[option] == 2) fail("option " + inQuotes(spelling) + " was given twice");
    }
    // Keeps the first fault. CLI11 puts unknown options aside as it meets
    // them, so one put aside already came before this fault.
    void fail(std::string message) {
        if (m_firstError) return;
        const std::optional<std::string> unknown = firstUnknown();
        m_firstError = unknown ? "unknown option " + inQuotes(*unknown) : std::move(message);
    }
    std::optional<std::string> firstUnknown() const {
        for (const std::string& arg : m_app.remaining())
            if (arg != "--") return unmarked(arg);  // "--" is CLI11's note of where operands begin
        return std::nullopt;
    }
    // What is wrong with the data file and the options together, if anything.
    std::optional<std::string> combinationFault() const;
    // How the option CLI11 has just taken was written: the last argument taken,
    // or the one before when that was the option's value.
    std::string spellingOfLast(const std::string& takenValue) const {
        std::size_t taken = m_marked.size() - m_pending.size();
        if (m_marked[taken - 1] == takenValue) --taken;
        const std::string arg = unmarked(m_marked[taken - 1]);
        return arg.compare(0, 2, "--") == 0 ? arg.substr(0, arg.find('=')) : arg;
    }
    ParseOutcome outcome();

    CLI::App m_app;
    std::vector<std::string> m_marked;   // the arguments in order, as CLI11 reads them
    std::vector<std::string> m_pending;  // those CLI11 has not taken yet, last first
    BatchOptions m_options;
    std::vector<std::string> m_operands;
    bool m_help = false;
    bool m_version = false;
    std::map<std::string, int> m_counts;
    std::optional<std::string> m_firstError;
};

void CommandLine::value(const std::string& names, const std::string& valueName,
                        const std::string& description, Setter set) {
    const std::string option = names.substr(names.find("--"));
    m_app
        .add_option(
            names,
            [this, option, set](const CLI::results_t& results) {
                const std::string taken = results.empty() ? std::string() : results.front();
                count(option, spellingOfLast(taken));
                if (auto error = set(unmarked(taken), m_options)) fail(std::move(*error));
                return true;
            },
            description)
        ->type_name(valueName)
        ->trigger_on_parse();
}

void CommandLine::flag(const std::string& names, bool CommandLine::*set,
                       const std::string& description) {
    const std::string option = names.substr(names.find("--"));
    m_app
        .add_option(
            names,
            [this, option, set](const CLI::results_t& results) {
                count(option, spellingOfLast({}));
                // CLI11 gives a bare flag "true"; a value after "=" is marked.
                if (results.size() == 1 && results.front() == "true") {
                    this->*set = true;
                } else {
                    fail("option " + inQuotes(option) + " takes no value");
                }
                return true;
            },
            description)
        ->expected(0)
        ->trigger_on_parse();
}

void CommandLine::declareOptions() {
    value("-d,--delimiter", "space|comma|tab", "field delimiter (default space)",
          choice("--delimiter", "space, comma or tab",
                 {{"space", [](BatchOptions& o) { o.delimiter = ' '; }},
                  {"comma", [](BatchOptions& o) { o.delimiter = ','; }},
                  {"tab", [](BatchOptions& o) { o.delimiter = '\t'; }}}));
    value("--var1", "N", "variable 1 of the effect-size bootstrap: column N\n(1 to 1000)",
          column("--var1", &BatchOptions::var1));
    value("--var2", "M", "variable 2 of the effect-size bootstrap: column M\n(1 to 1000)",
          column("--var2", &BatchOptions::var2));
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
    value("-o,--output", "FILE", "write the text to FILE instead of standard output",
          fileName("--output", &BatchOptions::outputFile));
    value("--descriptives", "LIST", "Descriptives of columns such as 1,3-5",
          [](const std::string& text, BatchOptions& o) -> std::optional<std::string> {
              auto ranges = parseColumnList(text);
              if (!ranges)
                  return "--descriptives must be a list of columns such as 1,3-5, not " +
                         inQuotes(text);
              o.descriptives = std::move(*ranges);
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
    // Outputs that are one file are found by the run (outputClash), which
    // looks at the files themselves.
    return std::nullopt;
}

ParseOutcome CommandLine::outcome() {
    ParseOutcome outcome;
    outcome.options = m_options;
    // --help and --version win over every fault.
    if (m_help || m_version) {
        outcome.status = m_help ? ParseStatus::Help : ParseStatus::Version;
        return outcome;
    }
    if (!m_firstError) {
        if (const std::optional<std::string> unknown = firstUnknown()) {
            m_firstError = "unknown option " + inQuotes(*unknown);
        } else {
            m_firstError = impossibleColumn(m_options);
            if (!m_firstError) m_firstError = combinationFault();
        }
    }
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

ParseOutcome parseBatchArguments(const std::vector<std::string>& args) {
    return CommandLine().parse(args);
}

std::string batchUsageText() {
    return CommandLine().help();
}

std::string batchVersionText() {
    return "velmora-batch " VELMORA_VERSION "\n";
}

}  // namespace velmora::batch
