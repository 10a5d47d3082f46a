#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch_options.h"
#include "option_values.h"

namespace velmora::batch::cli {

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
    // The option table, in the order the help lists it.
    void declareDataOptions();
    void declareOutputOptions();
    void declareRunOptions();
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

}  // namespace velmora::batch::cli
