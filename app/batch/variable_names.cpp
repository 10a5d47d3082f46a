#include "variable_names.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <vector>

#include "option_values.h"

namespace velmora::batch {

using cli::columnNumber;
using cli::inQuotes;

namespace {

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

}  // namespace

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

}  // namespace velmora::batch
