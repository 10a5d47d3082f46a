#include "batch_json.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "analysis/bootstrap/effect_size_report.h"
#include "analysis/paired/analytic_intervals.h"
#include "analysis/paired/paired_t_test.h"
#include "runtime/report_text.h"

namespace velmora::batch {

namespace {

// Keys in the order written, as the document lists them.
using json = nlohmann::ordered_json;

// The shortest decimal that reads back as `value` as a single, as the nearest double.
json single(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double nearest = 0.0;
    std::from_chars(text, written.ptr, nearest);
    return nearest;
}

// An estimate or limit of the Velmora report: null where it prints 9999999.
json estimate(float value) {
    return isComputable(value) ? single(value) : json(nullptr);
}

json optionalNumber(const std::optional<double>& value) {
    return value ? json(*value) : json(nullptr);
}

json limits(const PairedInterval& d, std::optional<double> correction) {
    const PairedInterval g = CorrectedInterval(d, correction);
    return {{"lower", optionalNumber(d.lower)},
            {"upper", optionalNumber(d.upper)},
            {"g_lower", optionalNumber(g.lower)},
            {"g_upper", optionalNumber(g.upper)}};
}

std::string arithmeticName(Arithmetic arithmetic) {
    switch (arithmetic) {
        case Arithmetic::Single:
            return "single";
        case Arithmetic::Double:
            return "double";
        case Arithmetic::Auto:
            break;
    }
    return "auto";
}

json dataFile(const BatchOptions& o, const DataSet& data) {
    json names = nullptr;
    if (!data.variableNames.empty()) {
        names = json::array();
        for (std::int32_t j = 0; j < data.g_lngNumVariables; ++j) {
            const auto k = static_cast<std::size_t>(j);
            // A header shorter than the widest line leaves the rest unnamed.
            names.push_back(k < data.variableNames.size() && !data.variableNames[k].empty()
                                ? json(data.variableNames[k])
                                : json(nullptr));
        }
    }
    return {{"name", o.dataFile},
            {"cases", data.g_lngNumCases},
            {"variables", data.g_lngNumVariables},
            {"names", names}};
}

json options(const RunFigures& f) {
    const BatchOptions& o = *f.options;
    const bool effectSize = f.effectSize != nullptr;
    json descriptives = json::array();
    for (std::int32_t column : expandColumns(o.descriptives)) descriptives.push_back(column);
    return {{"var1", o.var1 ? json(*o.var1) : json(nullptr)},
            {"var2", o.var2 ? json(*o.var2) : json(nullptr)},
            {"level", std::lround(NominalConfidenceLevel(o.confidenceLevel) * 100.0)},
            {"sd_from", o.sdFrom},
            {"trials", o.trials},
            {"seed", effectSize ? json(f.seed) : json(nullptr)},
            {"arithmetic", arithmeticName(o.arithmetic)},
            {"paired", o.paired},
            {"descriptives", descriptives}};
}

json descriptiveRows(const std::vector<DescriptiveRow>& rows) {
    json out = json::array();
    for (const DescriptiveRow& row : rows) {
        out.push_back({{"variable", row.lngColumn},
                       {"n", row.lngN},
                       {"mean", optionalNumber(row.dblMean)},
                       {"sd", optionalNumber(row.dblSD)},
                       {"min", row.sngMin ? single(*row.sngMin) : json(nullptr)},
                       {"max", row.sngMax ? single(*row.sngMax) : json(nullptr)},
                       {"lost_single_precision", row.lostSinglePrecision}});
    }
    return out;
}

json groupStats(const GroupStats& s) {
    return {{"n", s.lngN},
            {"mean", single(s.sngMean)},
            {"trimmed_mean", single(s.sngTrimmedMean)},
            {"variance", single(s.sngVariance)},
            {"wins_variance", single(s.sngWinsVariance)}};
}

json velmora(const BatchOptions& o, const AnalysisRun& run) {
    json estimates = json::object();
    for (Estimator e : kEstimators) {
        const PercentileInterval& ci = run.summary.ciOf(e);
        estimates[rulesOf(e).column] = {{"d", estimate(run.observed.of(e))},
                                        {"lower", estimate(ci.sngLower)},
                                        {"upper", estimate(ci.sngUpper)},
                                        {"valid", run.summary.validOf(e)}};
    }
    const std::string note = run.precisionNote;
    return {{"var1", groupStats(run.stats1)},
            {"var2", groupStats(run.stats2)},
            {"pooled_variance", single(run.observed.sngPooledVar)},
            {"pooled_wins_variance", single(run.observed.sngPooledWinsVar)},
            {"estimates", estimates},
            {"nonpooled_sd_variable", o.sdFrom == 2 ? *o.var2 : *o.var1},
            {"trials", run.summary.lngTrials},
            {"lost_precision_columns", run.lostPrecisionColumns},
            {"precision_note", note.empty() ? json(nullptr) : json(note)}};
}

std::string pairedKey(PairedEffect effect) {
    std::string key(PairedEffectName(effect));
    for (char& c : key)
        if (c == ' ') c = '_';
    return key;
}

json paired(const BatchOptions& o, const PairedRunResult& p) {
    const PairedObserved& observed = p.observed;
    const double level = NominalConfidenceLevel(o.confidenceLevel);
    const PairedAnalyticIntervals analytic = ComputePairedAnalyticIntervals(observed, level);
    json estimates = json::object();
    for (PairedEffect effect : kPairedEffects) {
        const PairedEffectSummary& s = p.summary.of(effect);
        const std::optional<PairedInterval>& a = analytic[static_cast<std::size_t>(effect)];
        estimates[pairedKey(effect)] = {
            {"d", optionalNumber(estimateOf(observed.d, effect))},
            {"g", optionalNumber(estimateOf(observed.g, effect))},
            {"percentile", limits(s.percentile, observed.correction)},
            {"bca", limits(s.bca, observed.correction)},
            {"analytic", a ? limits(*a, observed.correction) : json(nullptr)},
            {"valid", s.lngValid}};
    }
    const PairedTTest test = ComputePairedTTest(observed.moments, level);
    return {{"n", observed.moments.n},
            {"r", optionalNumber(observed.r)},
            {"m", observed.m},
            {"j", optionalNumber(observed.correction)},
            {"trials", p.summary.lngTrials},
            {"d_b_sd_variable", o.sdFrom == 2 ? *o.var2 : *o.var1},
            {"estimates", estimates},
            {"t_test",
             {{"mean_difference", test.meanDifference},
              {"sd", test.sdDifference},
              {"lower", optionalNumber(test.ci.lower)},
              {"upper", optionalNumber(test.ci.upper)},
              {"t", optionalNumber(test.t)},
              {"df", test.df},
              {"p", optionalNumber(test.p)}}}};
}

}  // namespace

std::string buildRunJson(const RunFigures& f) {
    const BatchOptions& o = *f.options;
    json document = {
        {"program", "velmora-batch"},
        {"version", batchVersion()},
        {"data_file", dataFile(o, *f.data)},
        {"options", options(f)},
        {"descriptives", f.descriptives ? descriptiveRows(*f.descriptives) : nullptr},
        {"effect_size", f.effectSize ? velmora(o, *f.effectSize) : nullptr},
        {"paired",
         f.effectSize && f.effectSize->paired ? paired(o, *f.effectSize->paired) : nullptr}};
    // Names and file names as read; a byte that is not UTF-8 is replaced
    // rather than ending the run.
    const std::string text = document.dump(2, ' ', false, json::error_handler_t::replace);
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (const char c : text) {
        if (c == '\n') {
            out += CRLF;
        } else {
            out += c;
        }
    }
    out += CRLF;
    return out;
}

}  // namespace velmora::batch
