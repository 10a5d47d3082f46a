#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch_run.h"
#include "runtime/output_target.h"
#include "runtime/temporary_files.h"

int main(int argc, char** argv) {
    // Before any thread starts: an interrupted run leaves no temporary file.
    velmora::removeTemporaryFilesOnSignals();
    std::vector<std::string> args(argv + 1, argv + argc);

    const velmora::SystemWallClock wallClock;
    const velmora::SystemMonotonicClock monotonicClock;
    velmora::batch::BatchEnvironment env;
    env.writeOut = [](std::string_view bytes) -> std::optional<std::string> {
        errno = 0;
        const std::size_t n = std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        if (n != bytes.size() || std::fflush(stdout) != 0)
            return std::string(errno != 0 ? std::strerror(errno) : "write failed");
        return std::nullopt;
    };
    env.writeErr = [](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        std::fflush(stderr);
    };
    env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    env.standardOutput = velmora::descriptorIdentity(STDOUT_FILENO);
    env.wallClock = &wallClock;
    env.monotonicClock = &monotonicClock;
    return velmora::batch::runBatch(args, env);
}
