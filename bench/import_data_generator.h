#pragma once

// Deterministic data files for the import benchmarks: every field a random
// value with 6 significant digits, lines ending in CR LF (or LF). Generated on demand
// so that no large data file ever needs to be kept in the repository.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace velmora::bench {

struct ImportDataShape {
    std::int64_t lines = 0;
    int columns = 0;
    char delimiter = ' ';
    std::uint64_t seed = 20240601;
    const char* lineEnd = "\r\n";
    // Zeros written before each value's digits ("-000123.45"): a file of any
    // size with few cells, to show that memory follows the cells.
    int padZeros = 0;
    // The first column in tenths from 1000000.0 to 1000000.9, values that
    // singles cannot hold to their spread, so the import keeps that column
    // as written.
    bool tenthsNearAMillion = false;
};

// Appends one line of the shape to `out`.
inline void appendImportLine(std::mt19937_64& rng, const ImportDataShape& shape, std::string& out) {
    std::uniform_int_distribution<int> mantissa(100000, 999999);  // 6 significant digits
    std::uniform_int_distribution<int> scale(-7, -2);             // values from 0.01 to 9999.99
    std::uniform_int_distribution<int> sign(0, 1);
    char buffer[32];
    std::uniform_int_distribution<int> tenth(0, 9);
    for (int j = 0; j < shape.columns; ++j) {
        if (j > 0) out += shape.delimiter;
        if (j == 0 && shape.tenthsNearAMillion) {
            out += "1000000.";
            out += static_cast<char>('0' + tenth(rng));
            continue;
        }
        const double value = (sign(rng) != 0 ? -1.0 : 1.0) * mantissa(rng) *
                             std::pow(10.0, static_cast<double>(scale(rng)));
        const int n = std::snprintf(buffer, sizeof buffer, "%.6g", value);
        if (shape.padZeros > 0) {
            const bool negative = buffer[0] == '-';
            if (negative) out += '-';
            out.append(static_cast<std::size_t>(shape.padZeros), '0');
            out.append(buffer + (negative ? 1 : 0), static_cast<std::size_t>(n - (negative ? 1 : 0)));
            continue;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    out += shape.lineEnd;
}

inline std::string generateImportText(const ImportDataShape& shape) {
    std::mt19937_64 rng(shape.seed);
    std::string text;
    text.reserve(static_cast<std::size_t>(shape.lines) * static_cast<std::size_t>(shape.columns) *
                 10);
    for (std::int64_t i = 0; i < shape.lines; ++i) appendImportLine(rng, shape, text);
    return text;
}

// The two files the throughput goal is stated for.
inline ImportDataShape spaceTwoColumnsMillionLines() {
    return {1'000'000, 2, ' ', 20240601};
}
inline ImportDataShape commaFiftyColumnsHundredThousandLines() {
    return {100'000, 50, ',', 20240602};
}
// The first file with the line ends most Linux tools write.
inline ImportDataShape spaceTwoColumnsMillionLfLines() {
    return {1'000'000, 2, ' ', 20240601, "\n"};
}

}  // namespace velmora::bench
