#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/delimited_import.h"
#include "import_data_generator.h"
#include "runtime/line_reader.h"

namespace {

using velmora::bench::ImportDataShape;

struct BenchFile {
    std::string text;
    std::string path;
    ImportDataShape shape;

    explicit BenchFile(const ImportDataShape& s)
        : text(velmora::bench::generateImportText(s)), shape(s) {
        char pattern[] = "/tmp/velmora_import_bench_XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd < 0) return;
        path = pattern;
        const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        if (!ok) {
            std::remove(path.c_str());
            path.clear();
        }
    }
    ~BenchFile() {
        if (!path.empty()) std::remove(path.c_str());
    }
};

const BenchFile& spaceFile() {
    static const BenchFile file(velmora::bench::spaceTwoColumnsMillionLines());
    return file;
}
const BenchFile& spaceLfFile() {
    static const BenchFile file(velmora::bench::spaceTwoColumnsMillionLfLines());
    return file;
}
const BenchFile& commaFile() {
    static const BenchFile file(velmora::bench::commaFiftyColumnsHundredThousandLines());
    return file;
}

void checkImported(benchmark::State& state, const velmora::ImportResult& r,
                   const velmora::DataSet& data, const BenchFile& file) {
    if (r.status != velmora::ImportStatus::Completed || data.g_lngNumCases != file.shape.lines ||
        data.g_lngNumVariables != file.shape.columns) {
        state.SkipWithError("import did not complete as expected");
    }
}

void finish(benchmark::State& state, const BenchFile& file) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.text.size()));
    state.counters["file_MB"] = static_cast<double>(file.text.size()) / 1e6;
}

// Both passes (line count, then fields) over the bytes already in memory.
void importFromMemory(benchmark::State& state, const BenchFile& file) {
    velmora::DataSet data;
    for (auto _ : state) {
        const velmora::ImportResult r =
            velmora::importDelimitedText(file.text, file.shape.delimiter, data);
        checkImported(state, r, data, file);
        benchmark::DoNotOptimize(data.g_sngData.columnData(1));
    }
    finish(state, file);
}

// What the button does: read the file (from the page cache here), then both passes.
void importFromFile(benchmark::State& state, const BenchFile& file) {
    if (file.path.empty()) {
        state.SkipWithError("could not write the temporary data file");
        return;
    }
    velmora::DataSet data;
    for (auto _ : state) {
        const velmora::ImportResult r =
            velmora::importDelimitedFile(file.path, file.shape.delimiter, data);
        checkImported(state, r, data, file);
        benchmark::DoNotOptimize(data.g_sngData.columnData(1));
    }
    finish(state, file);
}

void BM_ImportText_Space2Columns1MLines(benchmark::State& state) {
    importFromMemory(state, spaceFile());
}
void BM_ImportFile_Space2Columns1MLines(benchmark::State& state) {
    importFromFile(state, spaceFile());
}
void BM_ImportFile_Space2Columns1MLfLines(benchmark::State& state) {
    importFromFile(state, spaceLfFile());
}
void BM_ImportText_Comma50Columns100kLines(benchmark::State& state) {
    importFromMemory(state, commaFile());
}
void BM_ImportFile_Comma50Columns100kLines(benchmark::State& state) {
    importFromFile(state, commaFile());
}

// The first pass alone, to show its share.
void BM_CountLines_Space2Columns1MLines(benchmark::State& state) {
    const BenchFile& file = spaceFile();
    for (auto _ : state) benchmark::DoNotOptimize(velmora::countLines(file.text));
    finish(state, file);
}

BENCHMARK(BM_ImportText_Space2Columns1MLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFile_Space2Columns1MLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFile_Space2Columns1MLfLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportText_Comma50Columns100kLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFile_Comma50Columns100kLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountLines_Space2Columns1MLines)->Unit(benchmark::kMillisecond);

}  // namespace
