#include "output/output_file_system.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace velmora {

namespace {

// Replacing a file keeps its permissions; a new one gets what a plain create
// would give it under the current umask.
mode_t modeFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

int OutputFileSystem::createTemporary(const std::string& target, std::string& tempPath,
                                      int& handle) {
    const std::size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    // A hidden name, so that the file lists never offer it while it exists.
    const std::string pattern = directory + ".velmora-save-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    if (::fchmod(fd, modeFor(target)) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.data());
        return error;
    }
    tempPath = name.data();
    handle = fd;
    return 0;
}

int OutputFileSystem::write(int handle, std::string_view bytes, std::size_t& written) {
    for (;;) {
        const ssize_t n = ::write(handle, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        written = static_cast<std::size_t>(n);
        return 0;
    }
}

int OutputFileSystem::syncAndClose(int handle) {
    int error = ::fsync(handle) == 0 ? 0 : errno;
    if (::close(handle) != 0 && error == 0) error = errno;
    return error;
}

int OutputFileSystem::rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void OutputFileSystem::remove(const std::string& path) {
    ::unlink(path.c_str());
}

}  // namespace velmora
