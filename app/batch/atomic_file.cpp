#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace velmora::batch {

namespace {

std::string errorText(int error) {
    return std::strerror(error);
}

// The mode a plainly created file would get, or the target's own mode when it
// exists, so that replacing a file keeps its permissions.
mode_t targetMode(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() {
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

std::optional<std::string> AtomicFileWriter::prepare(const std::string& target,
                                                     std::string_view bytes) {
    m_target = target;
    std::vector<char> name(target.begin(), target.end());
    const char suffix[] = ".tmp-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);  // with the terminating NUL
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return errorText(errno);
    m_temp = name.data();

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return errorText(error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, targetMode(target)) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return errorText(error);
    }
    if (::close(fd) != 0) return errorText(errno);
    return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::commit() {
    if (m_temp.empty()) return std::string("nothing prepared");
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) return errorText(errno);
    m_temp.clear();
    return std::nullopt;
}

}  // namespace velmora::batch
