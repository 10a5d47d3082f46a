#include "batch_outputs.h"

#include <unistd.h>

#include <vector>

#include "batch_run.h"

namespace velmora::batch {

namespace {

struct Named {
    std::string label;
    FileIdentity identity;
};

// Two outputs to one device or FIFO destroy nothing; to one regular file, or
// to one name not yet in use, the second would replace the first.
bool clash(const FileIdentity& a, const FileIdentity& b) {
    return sameFile(a, b) && (a.regular || !a.exists);
}

}  // namespace

std::optional<std::string> outputClash(const BatchOptions& options,
                                       const FileIdentity& standardOutput) {
    std::vector<Named> outputs;
    for (const auto& [label, path] : {std::pair{"--output", &options.outputFile},
                                      std::pair{"--bootstrap-out", &options.bootstrapOut},
                                      std::pair{"--plot", &options.plotFile},
                                      std::pair{"--paired-plot", &options.pairedPlotFile},
                                      std::pair{"--json", &options.jsonFile}}) {
        if (!path->empty()) outputs.push_back({label, fileIdentity(*path)});
    }
    // Also with -o: standard output is then not written, but a file written
    // over the one it is redirected to would still be lost to the redirection.
    // -o itself may name it: the report then goes where standard output goes.
    if (standardOutput.regular) outputs.push_back({"standard output", standardOutput});

    // Standard input as the data is the file it reads, if it is one.
    const FileIdentity data = options.dataFile == kStandardInput ? descriptorIdentity(STDIN_FILENO)
                                                                 : fileIdentity(options.dataFile);
    const auto pair = [](const std::string& a, const std::string& b) {
        const bool stream = a == "standard output" || b == "standard output";
        return a + " and " + b + (stream ? " are the same file" : " name the same file");
    };
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (clash(outputs[i].identity, data)) return pair(outputs[i].label, "the data file");
        for (std::size_t j = 0; j < i; ++j)
            if (!(outputs[j].label == "--output" && outputs[i].label == "standard output") &&
                clash(outputs[i].identity, outputs[j].identity))
                return pair(outputs[j].label, outputs[i].label);
    }
    return std::nullopt;
}

}  // namespace velmora::batch
