#include "analysis/bootstrap/paired_sample.h"

namespace velmora {

namespace {

// A column the matrix does not hold reads 0 everywhere, so reading it through
// at() is always safe; columnData() merely avoids the per-cell lookup.
void copyColumn(const DataSet& data, std::int32_t variable, std::vector<float>& out) {
    const std::int32_t cases = data.g_lngNumCases > 0 ? data.g_lngNumCases : 0;
    out.assign(static_cast<std::size_t>(cases), 0.0f);
    if (!data.g_sngData.isAllocated() || variable < 0 || variable > MAX_VARIABLES) return;
    const std::int32_t readable =
        data.g_sngData.caseCapacity() < cases ? data.g_sngData.caseCapacity() : cases;
    const float* column = data.g_sngData.columnData(variable);
    if (column == nullptr) return;
    for (std::int32_t r = 1; r <= readable; ++r) out[static_cast<std::size_t>(r - 1)] = column[r];
}

}  // namespace

PairedSample BuildPairedSample(const DataSet& data, std::int32_t lngVar1, std::int32_t lngVar2) {
    PairedSample sample;
    copyColumn(data, lngVar1, sample.sngVar1);
    copyColumn(data, lngVar2, sample.sngVar2);
    for (std::size_t r = 0; r < sample.sngVar1.size(); ++r) {
        const bool has1 = !isMissing(sample.sngVar1[r]);
        const bool has2 = !isMissing(sample.sngVar2[r]);
        if (has1) ++sample.n1;
        if (has2) ++sample.n2;
        if (has1 && has2) ++sample.nPairs;
    }
    return sample;
}

std::vector<float> PresentValues(const PairedSample& sample, int column) {
    const std::vector<float>& cells = column == 1 ? sample.sngVar1 : sample.sngVar2;
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(column == 1 ? sample.n1 : sample.n2));
    for (float v : cells)
        if (!isMissing(v)) values.push_back(v);
    return values;
}

CompletePairs CollectCompletePairs(const PairedSample& sample) {
    CompletePairs pairs;
    pairs.sngVar1.reserve(static_cast<std::size_t>(sample.nPairs));
    pairs.sngVar2.reserve(static_cast<std::size_t>(sample.nPairs));
    for (std::size_t r = 0; r < sample.sngVar1.size(); ++r) {
        if (isMissing(sample.sngVar1[r]) || isMissing(sample.sngVar2[r])) continue;
        pairs.sngVar1.push_back(sample.sngVar1[r]);
        pairs.sngVar2.push_back(sample.sngVar2[r]);
    }
    return pairs;
}

}  // namespace velmora
