#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch_options.h"
#include "runtime/clock.h"
#include "runtime/output_target.h"

namespace velmora::batch {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitDataError = 1;   // the data or the analysis refused the run
inline constexpr int kExitUsageError = 2;  // the command line was wrong

// The DATAFILE that names standard input.
inline constexpr const char* kStandardInput = "-";

// Where a run writes and what it reads the time from.
struct BatchEnvironment {
    // Standard output; returns an error text when writing failed.
    std::function<std::optional<std::string>(std::string_view)> writeOut;
    // Standard error: error lines, "seed: S" and the progress bar.
    std::function<void(std::string_view)> writeErr;
    bool errIsTerminal = false;
    // The file standard output goes to, so that a run never writes a file
    // into the one standard output is redirected to (none: no such check).
    FileIdentity standardOutput;
    const WallClock* wallClock = nullptr;            // seeds a run without --seed
    const MonotonicClock* monotonicClock = nullptr;  // paces the progress bar
};

// The whole program after the program name: parses `args` and runs.
// Returns the exit status.
int runBatch(const std::vector<std::string>& args, BatchEnvironment& env);

// A run with parsed options: the outputs checked against the data file and
// each other (outputClash, a usage error), the import, column checks,
// Descriptives, the effect-size analysis, then every output made complete
// before any is put in place (AtomicReplace; standard output is written
// before the named files are renamed into place). Every failure is one line
// on standard error and leaves standard output and every named file as they
// were; only a rename that fails after others succeeded leaves those
// replaced.
int runBatch(const BatchOptions& options, BatchEnvironment& env);

// "Column 7 is beyond the data set's variables: it has 3."
std::string columnBeyondMessage(std::int32_t column, std::int32_t numVariables);

}  // namespace velmora::batch
