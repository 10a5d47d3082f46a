#pragma once

#include <cstdint>
#include <string>

#include "runtime/expected.h"

namespace velmora {

// Where writing to a path lands, and whether two paths name one file.

enum class OutputKind {
    Replace,  // a regular file, or a name not in use: a new file takes its place
    InPlace,  // anything else that exists: opened and written as it is
};

struct OutputTarget {
    OutputKind kind = OutputKind::Replace;
    // The file written: the path given with every symbolic link followed, so
    // that replacing it leaves a link as it was.
    std::string path;
    // InPlace only: the writes go to the end of the file (below).
    bool append = false;
};

// Follows `path` through symbolic links as opening it would. A link of /proc
// (/dev/stdout, /dev/fd/N lead there) names a file another program opened:
// it is written in place as the redirection that opened it writes, at the
// end of a regular file, so that ">>" keeps what the file held. A Failure's
// message is the system's reason ("Is a directory", "Too many levels of
// symbolic links", "Not a directory", "Permission denied" for a path that
// cannot be looked up), its subject `path`.
Expected<OutputTarget> resolveOutputTarget(const std::string& path);

// What makes a file the one it is: its device and inode when it exists,
// otherwise the absolute path it would be created at, normalised.
struct FileIdentity {
    bool exists = false;
    bool regular = false;  // an existing regular file
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string normalPath;  // only when it does not exist
};

FileIdentity fileIdentity(const std::string& path);
// The file an open descriptor refers to (e.g. standard output).
FileIdentity descriptorIdentity(int fd);

// Same device and inode, or neither exists and the normalised paths agree.
bool sameFile(const FileIdentity& a, const FileIdentity& b);

}  // namespace velmora
