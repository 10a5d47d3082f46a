// Writes a benchmark data file:
//   generate_import_data LINES COLUMNS space|comma|tab PATH [PAD_ZEROS [million]]
// (for example 10000000 2 space /tmp/ten_million.txt for the memory check);
// PAD_ZEROS zeros go before every value's digits, to make large files of few
// cells; "million" writes the first column in tenths near 1000000, which the
// import keeps as written beside its singles.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "import_data_generator.h"

int main(int argc, char** argv) {
    if (argc < 5 || argc > 7) {
        std::fprintf(stderr, "usage: %s LINES COLUMNS space|comma|tab PATH [PAD_ZEROS [million]]\n",
                     argv[0]);
        return 2;
    }
    velmora::bench::ImportDataShape shape;
    shape.lines = std::atoll(argv[1]);
    shape.columns = std::atoi(argv[2]);
    const std::string kind = argv[3];
    shape.delimiter = kind == "comma" ? ',' : kind == "tab" ? '\t' : ' ';
    shape.padZeros = argc >= 6 ? std::atoi(argv[5]) : 0;
    shape.tenthsNearAMillion = argc == 7 && std::string(argv[6]) == "million";
    if (shape.lines < 0 || shape.columns < 1 || shape.padZeros < 0 ||
        (argc == 7 && !shape.tenthsNearAMillion) ||
        (kind != "space" && kind != "comma" && kind != "tab")) {
        std::fprintf(stderr, "bad arguments\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[4], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: %s\n", argv[4], std::strerror(errno));
        return 1;
    }
    // Written in slices so that even the largest file needs little memory here.
    std::mt19937_64 rng(shape.seed);
    std::string slice;
    for (std::int64_t i = 0; i < shape.lines; ++i) {
        velmora::bench::appendImportLine(rng, shape, slice);
        if (slice.size() >= (1u << 20) || i + 1 == shape.lines) {
            if (std::fwrite(slice.data(), 1, slice.size(), out) != slice.size()) {
                std::fprintf(stderr, "%s: write failed\n", argv[4]);
                std::fclose(out);
                return 1;
            }
            slice.clear();
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
