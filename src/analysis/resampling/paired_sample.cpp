#include "analysis/resampling/paired_sample.h"

#include <span>

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

// The written values of a variable that has them, one per row; a row beyond
// them takes its single.
void copyWritten(const DataSet& data, std::int32_t variable, const std::vector<float>& singles,
                 std::vector<double>& out) {
    const std::span<const double> written = data.writtenValues.column(variable);
    if (written.empty()) return;
    out.assign(singles.begin(), singles.end());
    for (std::size_t r = 0; r < out.size() && r < written.size(); ++r) out[r] = written[r];
}

// Cell r of a column as written: its written value, or else its single.
double writtenCell(const std::vector<float>& singles, const std::vector<double>& written,
                   std::size_t r) {
    return written.empty() ? static_cast<double>(singles[r]) : written[r];
}

// The rows of the complete pairs in case order, each column's cell as
// `cellOf(singles, written, row)` gives it.
template <typename Real, typename CellOf>
void collectPairs(const PairedSample& sample, std::vector<Real>& out1, std::vector<Real>& out2,
                  CellOf cellOf) {
    out1.reserve(static_cast<std::size_t>(sample.nPairs));
    out2.reserve(static_cast<std::size_t>(sample.nPairs));
    for (std::size_t r = 0; r < sample.sngVar1.size(); ++r) {
        if (isMissing(sample.sngVar1[r]) || isMissing(sample.sngVar2[r])) continue;
        out1.push_back(cellOf(sample.sngVar1, sample.dblVar1, r));
        out2.push_back(cellOf(sample.sngVar2, sample.dblVar2, r));
    }
}

}  // namespace

PairedSample BuildPairedSample(const DataSet& data, std::int32_t lngVar1, std::int32_t lngVar2) {
    PairedSample sample;
    copyColumn(data, lngVar1, sample.sngVar1);
    copyColumn(data, lngVar2, sample.sngVar2);
    copyWritten(data, lngVar1, sample.sngVar1, sample.dblVar1);
    copyWritten(data, lngVar2, sample.sngVar2, sample.dblVar2);
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

std::vector<double> PresentWrittenValues(const PairedSample& sample, int column) {
    const std::vector<float>& cells = column == 1 ? sample.sngVar1 : sample.sngVar2;
    const std::vector<double>& written = column == 1 ? sample.dblVar1 : sample.dblVar2;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(column == 1 ? sample.n1 : sample.n2));
    for (std::size_t r = 0; r < cells.size(); ++r)
        if (!isMissing(cells[r])) values.push_back(writtenCell(cells, written, r));
    return values;
}

CompletePairs CollectCompletePairs(const PairedSample& sample) {
    CompletePairs pairs;
    collectPairs(sample, pairs.sngVar1, pairs.sngVar2,
                 [](const std::vector<float>& singles, const std::vector<double>&, std::size_t r) {
                     return singles[r];
                 });
    return pairs;
}

WrittenPairs CollectWrittenPairs(const PairedSample& sample) {
    WrittenPairs pairs;
    collectPairs(sample, pairs.dblVar1, pairs.dblVar2, writtenCell);
    return pairs;
}

}  // namespace velmora
