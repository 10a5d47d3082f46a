#pragma once

#include <string>
#include <vector>

#include "runtime/expected.h"
#include "runtime/output_file_system.h"
#include "runtime/output_target.h"

namespace velmora {

// New contents for one or more files, put in place all or none: every
// output is first made complete, and only then are they put in place, one
// after another. A file replaced (a regular file, or a name not yet in use)
// gets its bytes in a temporary file beside it, flushed to the device, then
// renamed over it; a symbolic link is followed, so the link stays and the
// file it names is replaced. A device, FIFO or terminal is opened and written
// in place as a shell redirection would (resolveOutputTarget).
//
// Usage: prepare() each output, then commit(). Until commit() no existing
// file changes; a failed prepare(), a failed commit() or destruction without
// commit() removes every temporary file. Temporary files are registered for
// removal on a signal (temporary_files.h).
//
// A Failure's message is the system's text (e.g. "No space left on device"),
// its subject the target that failed, as given to prepare().
class AtomicReplace {
public:
    // `files` must outlive the replacement. `waitForReader`: whether a FIFO
    // nobody reads holds prepare() until a reader comes (a program run from a
    // shell) or fails it (a window, which must not freeze).
    explicit AtomicReplace(OutputFileSystem& files, bool waitForReader = true)
        : m_files(files), m_waitForReader(waitForReader) {}
    ~AtomicReplace();
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    // Makes `bytes` ready to take the place of `target`'s content. On failure
    // every earlier output stays prepared.
    Status prepare(const std::string& target, std::string bytes);

    // Writes the outputs written in place, then renames every temporary file
    // over its target, in the order prepared. A failure in the writes
    // replaces nothing; a rename that fails leaves the files renamed before it
    // replaced (the renames of several files are not one atomic step). Every
    // temporary file is gone afterwards either way.
    Status commit();

private:
    struct Output {
        std::string target;  // as given
        OutputTarget where;
        std::string tempPath;  // Replace: the complete temporary file
        int slot = -1;         // its entry in the signal table
        int handle = -1;       // InPlace: the open file
        std::string bytes;     // InPlace: what commit() writes
    };

    int writeAll(int handle, std::string_view bytes);
    void discard();

    OutputFileSystem& m_files;
    bool m_waitForReader;
    std::vector<Output> m_outputs;
};

// One file replaced alone: prepare and commit, failing as they do.
Status replaceFile(OutputFileSystem& files, const std::string& target, std::string bytes,
                   bool waitForReader = true);

}  // namespace velmora
