#include "command_line.h"

namespace velmora::batch::cli {

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

}  // namespace velmora::batch::cli
