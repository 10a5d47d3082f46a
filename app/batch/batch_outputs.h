#pragma once

#include <optional>
#include <string>

#include "batch_options.h"
#include "runtime/output_target.h"

namespace velmora::batch {

// Whether a run would write over its own data file or write one file twice:
// each output (--output, --bootstrap-out, --plot, --json, and standard output when it
// carries the report into a regular file) against the data file and the
// outputs before it, by fileIdentity(). A device, FIFO or terminal, written
// in place, may take several outputs. The usage error of the first such
// pair ("--output and --plot name the same file"), or nullopt.
std::optional<std::string> outputClash(const BatchOptions& options,
                                       const FileIdentity& standardOutput);

}  // namespace velmora::batch
