#include "bootstrap_csv.h"

#include <cstdio>
#include <optional>

#include "analysis/bootstrap/effect_sizes.h"
#include "runtime/report_text.h"

namespace velmora::batch {

std::string csvCell(float value) {
    if (!isComputable(value)) return {};
    // 9 significant digits always identify a single uniquely. The program
    // never leaves the "C" locale, so the decimal point is always ".".
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

namespace {

std::string pairedCell(const std::optional<double>& value) {
    if (!value) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", *value);
    return text;
}

}  // namespace

std::string buildBootstrapCsv(const std::vector<EffectSizes>& trials) {
    return buildBootstrapCsv(trials, {});
}

std::string buildBootstrapCsv(const std::vector<EffectSizes>& trials,
                              const std::vector<PairedEstimates>& paired) {
    std::string out = "trial";
    for (const EstimatorRules& rules : kEstimatorRules) {
        out += ',';
        out += rules.column;
    }
    if (!paired.empty()) out += ",d_z,robust_d_z,d_rm,d_av,d_b,robust_d_av";
    out += CRLF;
    out.reserve(out.size() + trials.size() * 64);
    for (std::size_t t = 0; t < trials.size(); ++t) {
        const EffectSizes& e = trials[t];
        out += std::to_string(t + 1);
        for (float v : e.d) {
            out += ',';
            out += csvCell(v);
        }
        if (t < paired.size())
            for (const std::optional<double>& v : paired[t]) {
                out += ',';
                out += pairedCell(v);
            }
        out += CRLF;
    }
    return out;
}

}  // namespace velmora::batch
