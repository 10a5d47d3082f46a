// Imports one file the way the program does and reports time and peak memory:
// import_rss_probe PATH [space|comma|tab]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "data/delimited_import.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s PATH [space|comma|tab]\n", argv[0]);
        return 2;
    }
    const std::string kind = argc == 3 ? argv[2] : "space";
    const char delimiter = kind == "comma" ? ',' : kind == "tab" ? '\t' : ' ';

    velmora::DataSet data;
    const auto start = std::chrono::steady_clock::now();
    const velmora::ImportResult r = velmora::importDelimitedFile(argv[1], delimiter, data);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("status %d row %d column %d %s\n", static_cast<int>(r.status), r.row, r.column,
                r.reason.c_str());
    std::printf("cases %d variables %d stored columns %zu\n", data.g_lngNumCases,
                data.g_lngNumVariables, data.g_sngData.storedColumns());
    std::printf("values as written kept for %zu variables, %.1f MiB\n",
                data.writtenValues.variables().size(), data.writtenValues.bytes() / 1048576.0);
    std::printf("import %.3f s, peak RSS %.1f MiB\n", seconds, usage.ru_maxrss / 1024.0);
    return r.status == velmora::ImportStatus::Completed ? 0 : 1;
}
