#include "data/statistics_file_import.h"

#include <readstat.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "data/single_storage.h"
#include "runtime/text_encoding.h"

namespace velmora {

namespace {

// A value of a numeric variable, or nothing for a missing one.
constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

// What the library hands over, variable by variable, before the data set is built.
struct Collected {
    std::vector<std::string> names;
    std::vector<bool> text;
    std::vector<std::vector<double>> values;  // per variable, one per case (NaN = missing)
    std::int64_t cases = 0;
    bool tooManyVariables = false;
};

int onVariable(int index, readstat_variable_t* variable, const char*, void* context) {
    auto& c = *static_cast<Collected*>(context);
    if (index >= MAX_VARIABLES) {
        c.tooManyVariables = true;
        return READSTAT_HANDLER_ABORT;
    }
    const char* name = readstat_variable_get_name(variable);
    c.names.push_back(utf8OrLatin1(name != nullptr ? name : ""));
    c.text.push_back(readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_STRING);
    c.values.emplace_back();
    return READSTAT_HANDLER_OK;
}

int onValue(int obsIndex, readstat_variable_t* variable, readstat_value_t value, void* context) {
    auto& c = *static_cast<Collected*>(context);
    const int index = readstat_variable_get_index(variable);
    if (index < 0 || static_cast<std::size_t>(index) >= c.values.size()) return READSTAT_HANDLER_OK;
    const auto at = static_cast<std::size_t>(obsIndex);
    c.cases = std::max<std::int64_t>(c.cases, static_cast<std::int64_t>(obsIndex) + 1);
    if (c.text[static_cast<std::size_t>(index)]) return READSTAT_HANDLER_OK;
    std::vector<double>& column = c.values[static_cast<std::size_t>(index)];
    if (column.size() <= at) column.resize(at + 1, kAbsent);
    const bool missing = readstat_value_is_system_missing(value) ||
                         readstat_value_is_tagged_missing(value) ||
                         readstat_value_is_defined_missing(value, variable);
    column[at] = missing ? kAbsent : readstat_double_value(value);
    return READSTAT_HANDLER_OK;
}

readstat_error_t parse(FileKind kind, readstat_parser_t* parser, const char* path, void* context) {
    switch (kind) {
        case FileKind::SpssData:
            return readstat_parse_sav(parser, path, context);
        case FileKind::SpssPortable:
            return readstat_parse_por(parser, path, context);
        case FileKind::StataData:
            return readstat_parse_dta(parser, path, context);
        case FileKind::SasData:
            return readstat_parse_sas7bdat(parser, path, context);
        case FileKind::SasTransport:
            return readstat_parse_xport(parser, path, context);
        default:
            return READSTAT_ERROR_PARSE;
    }
}

ImportResult failed(ImportStatus status, std::string reason = {}) {
    ImportResult r;
    r.status = status;
    r.reason = std::move(reason);
    return r;
}

// Keeps the values of a variable whose singles cannot hold them to the
// accuracy its spread asks, as the text import keeps its values as written.
void keepValuesIfNeeded(DataSet& data, std::int32_t j, std::vector<double> values) {
    const std::optional<SingleStorage> storage = storageToCheck(data, j);
    if (!storage) return;
    const float* singles = data.g_sngData.columnData(j);
    double largest = 0.0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (isMissing(singles[k + 1])) continue;
        largest = std::max(largest, std::fabs(values[k] - singles[k + 1]));
    }
    if (!singlesLoseAccuracy(*storage, largest)) return;
    for (std::size_t k = 0; k < values.size(); ++k)
        if (isMissing(singles[k + 1])) values[k] = singles[k + 1];
    data.writtenValues.keep(j, std::move(values));
}

}  // namespace

ImportResult importStatisticsFile(const std::string& path, FileKind kind, DataSet& fresh) {
    Collected collected;
    const std::unique_ptr<readstat_parser_t, void (*)(readstat_parser_t*)> parser(
        readstat_parser_init(), readstat_parser_free);
    if (!parser) return failed(ImportStatus::OutOfMemory);
    readstat_set_variable_handler(parser.get(), onVariable);
    readstat_set_value_handler(parser.get(), onValue);
    const readstat_error_t error = parse(kind, parser.get(), path.c_str(), &collected);
    if (collected.tooManyVariables) {
        ImportResult r = failed(ImportStatus::TooManyFields);
        r.row = 1;
        return r;
    }
    if (error != READSTAT_OK)
        return failed(ImportStatus::OpenFailed, readstat_error_message(error));
    if (collected.cases > std::numeric_limits<std::int32_t>::max())
        return failed(ImportStatus::OutOfMemory);

    const auto cases = static_cast<std::int32_t>(collected.cases);
    const auto variables = static_cast<std::int32_t>(collected.names.size());
    fresh.g_lngNumCases = cases;
    fresh.g_sngData = DataMatrix(cases);
    fresh.g_lngNumVariables = variables;
    fresh.fileKind = fileKindName(kind);
    for (std::int32_t j = 1; j <= variables; ++j) {
        const auto at = static_cast<std::size_t>(j - 1);
        float* cells = fresh.g_sngData.column(j, MISSING_VALUE);
        if (collected.text[at]) {
            fresh.textVariables.push_back(j);
            continue;
        }
        std::vector<double>& values = collected.values[at];
        values.resize(static_cast<std::size_t>(cases), kAbsent);
        for (std::int32_t i = 1; i <= cases; ++i) {
            const double v = values[static_cast<std::size_t>(i - 1)];
            if (std::isnan(v)) continue;
            if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) {
                ImportResult r = failed(ImportStatus::NumberOutOfRange);
                r.row = i;
                r.column = j;
                return r;
            }
            cells[i] = static_cast<float>(v);
        }
        keepValuesIfNeeded(fresh, j, std::move(values));
    }
    // A variable without a name keeps the place of the others' names.
    bool named = false;
    for (const std::string& name : collected.names) named = named || !name.empty();
    if (named) fresh.variableNames = std::move(collected.names);
    return {};
}

}  // namespace velmora
