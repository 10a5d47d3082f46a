#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// The file operations every output goes through (AtomicReplace). The base
// class works on the real file system; a test overrides one operation to make
// it fail. Each returns 0 or the errno value of its failure: this seam is
// where errno is still a number, so that a fake fails an operation as the
// system would. Nothing past AtomicReplace sees it; what leaves is a Failure
// (systemFailure in expected.h).
class OutputFileSystem {
public:
    virtual ~OutputFileSystem() = default;

    // Whether the user may write the file `target` names, as a shell
    // redirection would ask before it writes: 0 when the user may, or when
    // no such file exists yet; EACCES for a read-only file (mode 0444 of a
    // user other than root), EROFS on a read-only file system.
    virtual int mayWrite(const std::string& target);
    // Creates and opens a new file in the directory of `target` (the part
    // before its last "/") under a short hidden name: ".velmora-" and six
    // random letters or digits. When `target` is a regular file, the new one
    // gets its permission bits and, where the process may set them, its owner
    // and group; otherwise what a plain create gives under the umask. Its path
    // goes to `tempPath`, its descriptor to `handle`.
    virtual int createTemporary(const std::string& target, std::string& tempPath, int& handle);
    // Opens the existing `target` for writing in place, without emptying it;
    // with `append`, every write goes to its end. A FIFO nobody reads makes the
    // open wait for a reader, as a shell redirection does, unless `wait` is
    // false: it then fails with ENXIO.
    virtual int openInPlace(const std::string& target, bool append, bool wait, int& handle);
    // Writes a leading part of `bytes`, at least one byte; its length goes to `written`.
    virtual int write(int handle, std::string_view bytes, std::size_t& written);
    // Flushes the file to its device and closes it; it is closed even on failure.
    virtual int syncAndClose(int handle);
    // Closes a file written in place (a device, FIFO or terminal has nothing to flush).
    virtual int close(int handle);
    // Renames `from` over `to`, replacing `to` in one step.
    virtual int rename(const std::string& from, const std::string& to);
    virtual void remove(const std::string& path);
};

}  // namespace velmora
