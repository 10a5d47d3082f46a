#include "data/written_values.h"

#include <algorithm>

namespace velmora {

std::span<const double> WrittenValues::column(std::int32_t j) const {
    for (const auto& [variable, values] : m_columns)
        if (variable == j) return values;
    return {};
}

void WrittenValues::keep(std::int32_t j, std::vector<double> values) {
    const auto at = std::lower_bound(m_columns.begin(), m_columns.end(), j,
                                     [](const auto& c, std::int32_t v) { return c.first < v; });
    if (at != m_columns.end() && at->first == j) {
        at->second = std::move(values);
        return;
    }
    m_columns.insert(at, {j, std::move(values)});
}

std::vector<std::int32_t> WrittenValues::variables() const {
    std::vector<std::int32_t> out;
    for (const auto& c : m_columns) out.push_back(c.first);
    return out;
}

std::size_t WrittenValues::bytes() const {
    std::size_t total = 0;
    for (const auto& c : m_columns) total += c.second.size() * sizeof(double);
    return total;
}

}  // namespace velmora
