// velmora-batch's command line: the input is an argument list (arguments
// separated by NUL bytes) run against tiny data files in a scratch directory.
// Whatever the list, the run ends in a report (0), a data error (1) or a usage
// error (2): a failure is one line on standard error with nothing on standard
// output and no named file created or changed, and a run leaves no temporary
// file behind.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "batch_options.h"
#include "batch_outputs.h"
#include "batch_run.h"

namespace {

using namespace velmora::batch;

struct DataFile {
    const char* name;
    std::string bytes;
};

std::string wideLine() {
    std::string line = "1";
    for (int j = 1; j < 1001; ++j) line += " 1";
    return line + "\r\n";
}

// Short names, so that the fuzzer meets them by chance: a good paired data set
// per delimiter, and one file for each way the import or the analysis refuses.
const std::vector<DataFile>& dataFiles() {
    static const std::vector<DataFile> files = {
        {"a", "1 2 3\r\n2 4 1\r\n3 5 .\r\n4 4 2\r\n5 7 3\r\n. 6 4\r\n7 9 5\r\n8 8 6\r\n"},
        {"b", "1.5,2\r\n2.5,3.5\r\n3,3\r\n4,6\r\n"},
        {"t", "1\t2\r\n\r\n3\t1\r\n4\t4\r\n5\t2\r\n"},
        {"k", "1 1\r\n1 1\r\n1 1\r\n"},  // both variances zero
        {"n", "1 2\r\n"},                // too few pairs
        {"m", ". .\r\n. .\r\n"},         // nothing but missing values
        {"x", "1 2\r\n3 abc\r\n"},       // an invalid entry
        {"r", "1 1e39\r\n2 3\r\n"},      // beyond the single range
        {"e", ""},                       // no case at all
        {"w", wideLine()},               // 1001 fields
        {"h", "pre post pre\r\n1 2 3\r\n2 4 1\r\n3 5 2\r\n4 4 6\r\n"},  // names, one twice
    };
    return files;
}

[[noreturn]] void fail(const char* what, const std::vector<std::string>& args) {
    std::fprintf(stderr, "%s; arguments:", what);
    for (const std::string& a : args) std::fprintf(stderr, " '%s'", a.c_str());
    std::fprintf(stderr, "\n");
    std::abort();
}

void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file other than a directory ("." is the scratch directory itself).
bool exists(const std::string& name) {
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::set<std::string> dataFileNames() {
    std::set<std::string> names;
    for (const DataFile& f : dataFiles()) names.insert(f.name);
    return names;
}

std::set<std::string> directoryEntries() {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(".")) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.insert(name);
        }
        ::closedir(dir);
    }
    return names;
}

const DataFile* findData(const std::string& name) {
    for (const DataFile& f : dataFiles())
        if (name == f.name) return &f;
    return nullptr;
}

// A fixed clock: a run without --seed still repeats.
class FixedWallClock final : public velmora::WallClock {
public:
    std::uint64_t nowNanoseconds() const override { return 123456789; }
};
class FixedMonotonicClock final : public velmora::MonotonicClock {
public:
    double elapsedSeconds() const override { return 0.0; }
};

bool oneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

// The run works in the scratch directory, libFuzzer (which names its corpus
// and crash files as given) in the directory it was started in.
struct Directories {
    std::string scratch;
    int scratchFd = -1;
    int startFd = -1;
};

Directories& directories() {
    static Directories d;
    return d;
}

void removeScratchDirectory() {
    Directories& d = directories();
    if (::fchdir(d.scratchFd) == 0)
        for (const DataFile& f : dataFiles()) ::unlink(f.name);
    if (::fchdir(d.startFd) == 0) ::rmdir(d.scratch.c_str());
}

int runOne(const std::uint8_t* bytes, std::size_t size);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // tmpfs where there is one: the output files are synced on every run.
    Directories& d = directories();
    d.scratch = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    d.scratch += "/velmora_fuzz_batch_XXXXXX";
    if (::mkdtemp(d.scratch.data()) == nullptr) std::abort();
    d.scratchFd = ::open(d.scratch.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    d.startFd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d.scratchFd < 0 || d.startFd < 0 || ::fchdir(d.scratchFd) != 0) std::abort();
    for (const DataFile& f : dataFiles()) writeFile(f.name, f.bytes);
    if (::fchdir(d.startFd) != 0) std::abort();
    std::atexit(removeScratchDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const Directories& d = directories();
    if (::fchdir(d.scratchFd) != 0) std::abort();
    const int kept = runOne(bytes, size);
    if (::fchdir(d.startFd) != 0) std::abort();
    return kept;
}

namespace {

int runOne(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    // Every name stays inside the scratch directory.
    if (input.find('/') != std::string_view::npos || input.find("..") != std::string_view::npos)
        return -1;
    std::vector<std::string> args;
    for (std::size_t start = 0; !input.empty() && start <= input.size();) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        args.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    if (args.size() > 32) return -1;

    const ParseOutcome parsed = parseBatchArguments(args);
    const BatchOptions& o = parsed.options;
    // Long runs add nothing the short ones do not reach; standard input is
    // the fuzzer's own.
    if (parsed.status == ParseStatus::Run &&
        (o.trials > 2000 || o.threads > 4 || o.dataFile == kStandardInput))
        return -1;
    const std::vector<std::string> named = {o.outputFile, o.bootstrapOut, o.plotFile,
                                            o.pairedPlotFile, o.jsonFile};
    for (const std::string& name : named)
        if (!name.empty() && !findData(name) && exists(name))
            fail("a file of an earlier run", args);

    std::string out;
    std::string err;
    const FixedWallClock wallClock;
    const FixedMonotonicClock monotonicClock;
    BatchEnvironment env;
    env.writeOut = [&out](std::string_view b) -> std::optional<std::string> {
        out += b;
        return std::nullopt;
    };
    env.writeErr = [&err](std::string_view b) { err += b; };
    env.wallClock = &wallClock;
    env.monotonicClock = &monotonicClock;
    const int status = runBatch(args, env);
    // Outputs that are the data file or one another are refused by the run,
    // and so is a name the data file does not give exactly one variable.
    const bool namesVariables =
        !o.var1Name.empty() || !o.var2Name.empty() || !o.descriptiveNames.empty();
    const bool nameFault =
        namesVariables && status == kExitUsageError &&
        (err.starts_with("velmora-batch: --var1: ") || err.starts_with("velmora-batch: --var2: ") ||
         err.starts_with("velmora-batch: --descriptives: "));
    const bool usageError =
        parsed.status == ParseStatus::UsageError || nameFault ||
        (parsed.status == ParseStatus::Run && outputClash(o, velmora::FileIdentity{}).has_value());

    switch (status) {
        case kExitSuccess:
            if (usageError) fail("a usage error succeeded", args);
            if (parsed.status == ParseStatus::Help && (out != batchUsageText() || !err.empty()))
                fail("--help did not give the usage alone", args);
            if (parsed.status == ParseStatus::Run) {
                const bool toFile = !o.outputFile.empty();
                if (toFile == !out.empty()) fail("the report went to the wrong place", args);
                const std::string text = toFile ? readFile(o.outputFile) : out;
                if (text.rfind("Opened the text file: " + o.dataFile + "\r\n", 0) != 0)
                    fail("a report without the import summary", args);
                const std::string seedLine =
                    "seed: " + std::to_string(velmora::seedFromClock(wallClock)) + "\n";
                if (err != (o.seed || !o.wantsEffectSize() ? "" : seedLine))
                    fail("a successful run wrote more than its seed to standard error", args);
            }
            break;
        case kExitDataError:
        case kExitUsageError:
            if ((status == kExitUsageError) != usageError)
                fail("usage errors and data errors mixed up", args);
            if (!out.empty()) fail("a failed run wrote to standard output", args);
            if (!oneLine(err)) fail("a failed run did not say why in one line", args);
            for (const std::string& name : named) {
                if (name.empty()) continue;
                const DataFile* data = findData(name);
                if (data ? readFile(name) != data->bytes : exists(name))
                    fail("a failed run touched a named file", args);
            }
            break;
        default:
            fail("an exit status other than 0, 1 and 2", args);
    }

    // Back to the data files alone, and nothing else may remain.
    for (const std::string& name : named) {
        if (name.empty()) continue;
        if (const DataFile* data = findData(name)) {
            writeFile(name, data->bytes);
        } else {
            ::unlink(name.c_str());
        }
    }
    if (directoryEntries() != dataFileNames()) fail("a file was left behind", args);
    return 0;
}

}  // namespace
