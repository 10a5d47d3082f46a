#pragma once

#include <signal.h>

#include <string>

namespace velmora {

// The temporary files of outputs not yet in place, kept where a signal
// handler can reach them: a program that has called
// removeTemporaryFilesOnSignals() removes every registered file when SIGINT,
// SIGTERM, SIGHUP, SIGPIPE or SIGXFSZ ends it, and then ends as that signal
// would have ended it. The table holds a fixed number of paths.

// Blocks the signals above in the calling thread while it lives, so that a
// file created and registered in between cannot be left behind: a signal
// that arrives meanwhile is handled once the file is registered.
class TemporaryFileGuard {
public:
    TemporaryFileGuard();
    ~TemporaryFileGuard();
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

private:
    sigset_t m_saved;  // the thread's mask before
};

// Enters `path`; returns its slot, or -1 when the table is full or the path
// too long (the file then works as ever, only a signal would leave it).
int registerTemporaryFile(const std::string& path);
// Takes a slot out of the table again (-1 is ignored).
void unregisterTemporaryFile(int slot);

// Installs the handlers, except for a signal the program was started with
// ignored (nohup, a background job), which stays ignored.
void removeTemporaryFilesOnSignals();

}  // namespace velmora
