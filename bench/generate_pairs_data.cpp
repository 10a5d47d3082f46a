// Writes a paired data file for the bootstrap benchmarks:
//   generate_pairs_data PAIRS PATH
// Two correlated columns of scores with two decimals (so there are ties),
// space-delimited, CR LF line ends; one case in 50 more lacks one of its two
// values ("."), so the file holds exactly PAIRS complete pairs. Deterministic.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 || std::atoll(argv[1]) < 2) {
        std::fprintf(stderr, "usage: %s PAIRS PATH (PAIRS at least 2)\n", argv[0]);
        return 2;
    }
    const long long pairs = std::atoll(argv[1]);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    std::mt19937_64 rng(20261208);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::string line;
    char field[32];
    for (long long i = 0, complete = 0; complete < pairs; ++i) {
        const double x = std::round((50.0 + 10.0 * normal(rng)) * 100.0) / 100.0;
        const double y = std::round((0.6 * x + 25.0 + 8.0 * normal(rng)) * 100.0) / 100.0;
        const bool lacksOne = i % 50 == 49;
        line.clear();
        std::snprintf(field, sizeof field, "%.2f", x);
        line += lacksOne && i % 100 == 49 ? "." : field;
        line += ' ';
        std::snprintf(field, sizeof field, "%.2f", y);
        line += lacksOne && i % 100 == 99 ? "." : field;
        line += "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
            std::fprintf(stderr, "%s: write failed\n", argv[2]);
            return 1;
        }
        if (!lacksOne) ++complete;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
