#include "runtime/output_file_system.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

namespace velmora {

namespace {

constexpr int kNameAttempts = 100;

// Six letters or digits from the system's random source: 62^6 names, so that
// another program is unlikely to hold the one chosen (O_EXCL refuses it if so).
std::string randomPart() {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
        static std::mt19937_64 fallback{std::random_device{}()};
        bits = fallback();
    }
    std::string part;
    for (int i = 0; i < 6; ++i, bits /= 62) part += kAlphabet[bits % 62];
    return part;
}

// A replaced file keeps its permission bits, and its owner and group where
// this process may give them. A set-user-ID or set-group-ID bit stays only
// with the owner or group it was set for: a copy owned by someone else must
// not run as them.
int takeOwnerAndMode(int fd, const struct stat& original) {
    if (::fchown(fd, original.st_uid, original.st_gid) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), original.st_gid);
    }
    struct stat now {};
    if (::fstat(fd, &now) != 0) return errno;
    mode_t mode = original.st_mode & 07777;
    if (now.st_uid != original.st_uid) mode &= ~static_cast<mode_t>(S_ISUID);
    if (now.st_gid != original.st_gid) mode &= ~static_cast<mode_t>(S_ISGID);
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

}  // namespace

int OutputFileSystem::mayWrite(const std::string& target) {
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0) return 0;
    return errno == ENOENT ? 0 : errno;
}

int OutputFileSystem::createTemporary(const std::string& target, std::string& tempPath,
                                      int& handle) {
    const std::size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    struct stat original {};
    const bool replacing = ::stat(target.c_str(), &original) == 0 && S_ISREG(original.st_mode);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        // Hidden, so that the file lists never offer it while it exists; and
        // short whatever the target's name, so that every name the file
        // system takes can be written.
        const std::string name = directory + ".velmora-" + randomPart();
        // 0666 under the umask and the directory's default ACL, as a plain create.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        if (replacing) {
            if (const int error = takeOwnerAndMode(fd, original)) {
                ::close(fd);
                ::unlink(name.c_str());
                return error;
            }
        }
        tempPath = name;
        handle = fd;
        return 0;
    }
    return EEXIST;
}

int OutputFileSystem::openInPlace(const std::string& target, bool append, bool wait, int& handle) {
    // Not O_TRUNC: what is written in place is a device, a FIFO or a
    // terminal, or the file another program's redirection opened.
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0);
    const int fd = ::open(target.c_str(), flags | (wait ? 0 : O_NONBLOCK));
    if (fd < 0) return errno;
    // Only the open may not wait; the writes wait for a slow reader.
    if (!wait && ::fcntl(fd, F_SETFL, flags & O_APPEND) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
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

int OutputFileSystem::close(int handle) {
    return ::close(handle) == 0 ? 0 : errno;
}

int OutputFileSystem::rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void OutputFileSystem::remove(const std::string& path) {
    ::unlink(path.c_str());
}

}  // namespace velmora
