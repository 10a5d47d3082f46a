#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The file operations a save goes through. The base class works on the real
// file system; a test overrides one operation to make it fail. Each returns
// 0 or the errno value of its failure.
class OutputFileSystem {
public:
    virtual ~OutputFileSystem() = default;

    // Creates and opens a new, uniquely named file in the directory of
    // `target` (the part before its last "/"), with the permissions the target
    // has, or those of a newly created file when there is none yet. Its path
    // goes to `tempPath`, its descriptor to `handle`.
    virtual int createTemporary(const std::string& target, std::string& tempPath, int& handle);
    // Writes a leading part of `bytes`, at least one byte; its length goes to `written`.
    virtual int write(int handle, std::string_view bytes, std::size_t& written);
    // Flushes the file to its device and closes it; it is closed even on failure.
    virtual int syncAndClose(int handle);
    // Renames `from` over `to`, replacing `to` in one step.
    virtual int rename(const std::string& from, const std::string& to);
    virtual void remove(const std::string& path);
};

}  // namespace velmora
