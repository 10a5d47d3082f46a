#include "command_line.h"

#include <getopt.h>

#include <algorithm>
#include <mutex>

#include "column_list.h"
#include "data/data_set.h"

namespace velmora::batch::cli {

namespace {

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

// getopt_long's two tables of the options. "-" first: operands come back in
// order, as code 1; ":" then: a missing value comes back as ':' and nothing
// is printed. An option found comes back as its short name or as 256; which
// one it was is read from the argument itself (optionSpelledBy), since the
// argument must name it exactly.
struct GetoptTables {
    std::string shortOptions = "-:";
    std::vector<option> longOptions;
};

GetoptTables getoptTables(const std::vector<OptionSpec>& specs) {
    GetoptTables tables;
    for (const OptionSpec& spec : specs) {
        if (spec.shortName != '\0') {
            tables.shortOptions += spec.shortName;
            if (spec.set) tables.shortOptions += ':';
        }
        tables.longOptions.push_back(
            {spec.longName.c_str(), spec.set ? required_argument : no_argument, nullptr, 256});
    }
    tables.longOptions.push_back({});
    return tables;
}

}  // namespace

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

    const GetoptTables tables = getoptTables(m_specs);
    const std::string& shortOptions = tables.shortOptions;
    const std::vector<option>& longOptions = tables.longOptions;

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

}  // namespace velmora::batch::cli
