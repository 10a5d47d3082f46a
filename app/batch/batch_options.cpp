#include "batch_options.h"

#include "command_line.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0.0.0"
#endif

namespace velmora::batch {

ParseOutcome parseBatchArguments(const std::vector<std::string>& args) {
    return cli::CommandLine().parse(args);
}

std::string batchUsageText() {
    return cli::CommandLine().help();
}

std::string batchVersionText() {
    return "velmora-batch " VELMORA_VERSION "\n";
}

std::string batchVersion() {
    return VELMORA_VERSION;
}

}  // namespace velmora::batch
