#include "batch_options.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "runtime/split.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0.0.0"
#endif

namespace velmora::batch {

namespace {

constexpr std::int32_t kMaxTrials = 1000000;
constexpr int kMaxThreads = 256;

enum class Opt {
    Delimiter,
    Var1,
    Var2,
    Trials,
    Level,
    SdFrom,
    Seed,
    BootstrapOut,
    Plot,
    Output,
    Descriptives,
    Threads,
    Arithmetic,
    Help,
    Version,
    Count
};

struct OptionSpec {
    Opt id;
    std::string_view longName;  // without "--"
    char shortName;             // 0: none
    bool takesValue;
};

constexpr std::array<OptionSpec, static_cast<std::size_t>(Opt::Count)> kOptions = {{
    {Opt::Delimiter, "delimiter", 'd', true},
    {Opt::Var1, "var1", 0, true},
    {Opt::Var2, "var2", 0, true},
    {Opt::Trials, "trials", 0, true},
    {Opt::Level, "level", 0, true},
    {Opt::SdFrom, "sd-from", 0, true},
    {Opt::Seed, "seed", 0, true},
    {Opt::BootstrapOut, "bootstrap-out", 0, true},
    {Opt::Plot, "plot", 0, true},
    {Opt::Output, "output", 'o', true},
    {Opt::Descriptives, "descriptives", 0, true},
    {Opt::Threads, "threads", 0, true},
    {Opt::Arithmetic, "arithmetic", 0, true},
    {Opt::Help, "help", 'h', false},
    {Opt::Version, "version", 'V', false},
}};

const OptionSpec* findLong(std::string_view name) {
    for (const auto& spec : kOptions)
        if (spec.longName == name) return &spec;
    return nullptr;
}

const OptionSpec* findShort(char name) {
    for (const auto& spec : kOptions)
        if (spec.shortName != 0 && spec.shortName == name) return &spec;
    return nullptr;
}

// Plain decimal digits only: no sign, no blanks, no exponent. Nullopt when the
// text is not such a number or exceeds `max`.
std::optional<std::uint64_t> parseDigits(std::string_view text, std::uint64_t max) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (max - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::int32_t> parseColumn(std::string_view text) {
    const auto v =
        parseDigits(text, static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()));
    if (!v || *v == 0) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::optional<std::string> setFileName(std::string_view option, const std::string& value,
                                       std::string& target) {
    if (value.empty()) return std::string(option) + " needs a file name";
    target = value;
    return std::nullopt;
}

// Applies one option's value; an error text when the value is refused.
std::optional<std::string> apply(Opt id, const std::string& value, BatchOptions& o) {
    switch (id) {
        case Opt::Delimiter:
            if (value == "space") {
                o.delimiter = ' ';
            } else if (value == "comma") {
                o.delimiter = ',';
            } else if (value == "tab") {
                o.delimiter = '\t';
            } else {
                return "--delimiter must be space, comma or tab, not " + quoted(value);
            }
            return std::nullopt;
        case Opt::Var1:
        case Opt::Var2: {
            const auto column = parseColumn(value);
            const std::string name = id == Opt::Var1 ? "--var1" : "--var2";
            if (!column) return name + " must be a column number from 1, not " + quoted(value);
            (id == Opt::Var1 ? o.var1 : o.var2) = *column;
            return std::nullopt;
        }
        case Opt::Trials: {
            const auto t = parseDigits(value, kMaxTrials);
            if (!t || *t == 0)
                return "--trials must be a whole number from 1 to 1000000, not " + quoted(value);
            o.trials = static_cast<std::int32_t>(*t);
            return std::nullopt;
        }
        case Opt::Level:
            // The nearest singles, exactly as the dialog's option buttons hold them.
            if (value == "90") {
                o.confidenceLevel = 0.9f;
            } else if (value == "95") {
                o.confidenceLevel = 0.95f;
            } else if (value == "99") {
                o.confidenceLevel = 0.99f;
            } else {
                return "--level must be 90, 95 or 99, not " + quoted(value);
            }
            return std::nullopt;
        case Opt::SdFrom:
            if (value == "1") {
                o.sdFrom = 1;
            } else if (value == "2") {
                o.sdFrom = 2;
            } else {
                return "--sd-from must be 1 or 2, not " + quoted(value);
            }
            return std::nullopt;
        case Opt::Seed: {
            const auto s = parseDigits(value, std::numeric_limits<std::uint64_t>::max());
            if (!s)
                return "--seed must be a whole number from 0 to 18446744073709551615, not " +
                       quoted(value);
            o.seed = *s;
            return std::nullopt;
        }
        case Opt::BootstrapOut:
            return setFileName("--bootstrap-out", value, o.bootstrapOut);
        case Opt::Plot:
            return setFileName("--plot", value, o.plotFile);
        case Opt::Output:
            return setFileName("--output", value, o.outputFile);
        case Opt::Descriptives: {
            auto ranges = parseColumnList(value);
            if (!ranges)
                return "--descriptives must be a list of columns such as 1,3-5, not " +
                       quoted(value);
            o.descriptives = std::move(*ranges);
            return std::nullopt;
        }
        case Opt::Threads: {
            const auto n = parseDigits(value, kMaxThreads);
            if (!n) return "--threads must be a whole number from 0 to 256, not " + quoted(value);
            o.threads = static_cast<int>(*n);
            return std::nullopt;
        }
        case Opt::Arithmetic:
            if (value == "auto") {
                o.arithmetic = Arithmetic::Auto;
            } else if (value == "single") {
                o.arithmetic = Arithmetic::Single;
            } else if (value == "double") {
                o.arithmetic = Arithmetic::Double;
            } else {
                return "--arithmetic must be auto, single or double, not " + quoted(value);
            }
            return std::nullopt;
        case Opt::Help:
        case Opt::Version:
        case Opt::Count:
            break;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<ColumnRange>> parseColumnList(const std::string& text) {
    std::vector<ColumnRange> ranges;
    bool valid = true;
    forEachField(text, ',', [&](std::string_view item) {
        const std::size_t dash = item.find('-');
        const auto first = parseColumn(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : parseColumn(item.substr(dash + 1));
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
    ParseOutcome outcome;
    BatchOptions& o = outcome.options;
    std::array<bool, static_cast<std::size_t>(Opt::Count)> seen{};
    std::vector<std::string> operands;
    std::optional<std::string> firstError;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;

    auto fail = [&](std::string message) {
        if (!firstError) firstError = std::move(message);
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionSpec* spec = nullptr;
        std::string shown;
        std::optional<std::string> inlineValue;
        if (arg[1] == '-') {
            const std::size_t eq = arg.find('=');
            const std::string name =
                arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            if (eq != std::string::npos) inlineValue = arg.substr(eq + 1);
            spec = findLong(name);
            shown = "--" + name;
        } else if (arg.size() == 2) {
            spec = findShort(arg[1]);
            shown = arg;
        }
        if (spec == nullptr) {
            fail("unknown option " + quoted(arg));
            continue;
        }
        auto& wasSeen = seen[static_cast<std::size_t>(spec->id)];
        if (wasSeen) fail("option " + quoted(shown) + " was given twice");
        wasSeen = true;
        if (!spec->takesValue) {
            if (inlineValue) {
                fail("option " + quoted(shown) + " takes no value");
                continue;
            }
            if (spec->id == Opt::Help) help = true;
            if (spec->id == Opt::Version) version = true;
            continue;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fail("option " + quoted(shown) + " needs a value");
            continue;
        }
        if (auto error = apply(spec->id, value, o)) fail(std::move(*error));
    }

    if (help) {
        outcome.status = ParseStatus::Help;
        return outcome;
    }
    if (version) {
        outcome.status = ParseStatus::Version;
        return outcome;
    }
    if (!firstError) {
        if (operands.empty()) {
            fail("no data file given");
        } else if (operands.size() > 1) {
            fail("more than one data file given: " + quoted(operands[0]) + " and " +
                 quoted(operands[1]));
        } else if (operands[0].empty()) {
            fail("the data file name is empty");
        } else if (!o.bootstrapOut.empty() && !o.wantsEffectSize()) {
            fail("--bootstrap-out needs the effect-size analysis (--var1 and --var2)");
        } else if (!o.plotFile.empty() && !o.wantsEffectSize()) {
            fail("--plot needs the effect-size analysis (--var1 and --var2)");
        } else if (!o.outputFile.empty() && o.outputFile == o.bootstrapOut) {
            fail("--output and --bootstrap-out name the same file");
        } else if (!o.plotFile.empty() && o.plotFile == o.outputFile) {
            fail("--output and --plot name the same file");
        } else if (!o.plotFile.empty() && o.plotFile == o.bootstrapOut) {
            fail("--bootstrap-out and --plot name the same file");
        }
    }
    if (firstError) {
        outcome.status = ParseStatus::UsageError;
        outcome.error = *firstError;
        return outcome;
    }
    o.dataFile = operands[0];
    outcome.status = ParseStatus::Run;
    return outcome;
}

std::string batchUsageText() {
    return "Usage: velmora-batch [options] DATAFILE\n"
           "\n"
           "Imports DATAFILE as the desktop program's import button does and writes\n"
           "the text it would append to its output pane (CR LF line ends): the import\n"
           "summary, the Descriptives report and the effect-size report.\n"
           "\n"
           "Options:\n"
           "  -d, --delimiter space|comma|tab  field delimiter (default space)\n"
           "      --var1 N, --var2 M       run the effect-size bootstrap on columns N and M\n"
           "      --trials T               bootstrap trials, 1 to 1000000 (default 600)\n"
           "      --level 90|95|99         confidence level in percent (default 95)\n"
           "      --sd-from 1|2            variable whose SD the nonpooled d uses (default 1)\n"
           "      --seed S                 random seed, 0 to 18446744073709551615; without it\n"
           "                               the seed comes from the clock and is written to\n"
           "                               standard error as 'seed: S'\n"
           "      --bootstrap-out FILE     CSV of every trial's four estimates\n"
           "      --plot FILE              SVG picture of the trials: each estimator's\n"
           "                               histogram, interval and observed estimate\n"
           "  -o, --output FILE            write the text to FILE instead of standard output\n"
           "      --descriptives LIST      Descriptives of columns such as 1,3-5\n"
           "      --threads N              threads that compute the trials, 0 to 256; 0 (the\n"
           "                               default) uses one per hardware thread; the output\n"
           "                               does not depend on it\n"
           "      --arithmetic auto|single|double\n"
           "                               how the statistics are computed: single\n"
           "                               precision as the reports always have been,\n"
           "                               double precision from exact sums, or (auto,\n"
           "                               the default, as the desktop program) single\n"
           "                               unless it loses accuracy for a variable, which\n"
           "                               the report then names\n"
           "  -h, --help                   show this help\n"
           "  -V, --version                show the version\n"
           "\n"
           "Exit status: 0 success, 1 data or analysis error, 2 usage error.\n"
           "\n"
           "Example:\n"
           "  velmora-batch --var1 1 --var2 2 --trials 2000 --level 99 --seed 42 \\\n"
           "      --descriptives 1-3 -o report.txt examples/pre_post_scores.txt\n";
}

std::string batchVersionText() {
    return "velmora-batch " VELMORA_VERSION "\n";
}

}  // namespace velmora::batch
