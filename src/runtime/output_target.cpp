#include "runtime/output_target.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The links of /proc (a process's fd/N, and /dev/stdout through them) name
// open files rather than paths: what they read as may be "pipe:[1234]" or a
// file deleted since.
bool onProcFileSystem(const std::string& directory) {
    struct statfs info {};
    return ::statfs(directory.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// 0 or the errno value of the failure.
int resolve(const std::string& path, OutputTarget& target) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) return errno;
            target = {OutputKind::Replace, current, false};  // created where the links lead
            return 0;
        }
        if (S_ISLNK(info.st_mode)) {
            if (onProcFileSystem(directoryOf(current))) {
                struct stat named {};
                if (::stat(current.c_str(), &named) != 0) return errno;
                if (S_ISDIR(named.st_mode)) return EISDIR;
                target = {OutputKind::InPlace, current, S_ISREG(named.st_mode)};
                return 0;
            }
            std::vector<char> link(PATH_MAX);
            const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
            if (length < 0) return errno;
            if (static_cast<std::size_t>(length) == link.size()) return ENAMETOOLONG;
            const std::string next(link.data(), static_cast<std::size_t>(length));
            current = next.front() == '/' ? next : directoryOf(current) + "/" + next;
            continue;
        }
        if (S_ISDIR(info.st_mode)) return EISDIR;
        target = {S_ISREG(info.st_mode) ? OutputKind::Replace : OutputKind::InPlace, current,
                  false};
        return 0;
    }
    return ELOOP;
}

FileIdentity identityOf(const struct stat& info) {
    FileIdentity id;
    id.exists = true;
    id.regular = S_ISREG(info.st_mode);
    id.device = info.st_dev;
    id.inode = info.st_ino;
    return id;
}

}  // namespace

Expected<OutputTarget> resolveOutputTarget(const std::string& path) {
    OutputTarget target;
    if (const int error = resolve(path, target)) return systemFailure(error, path);
    return target;
}

FileIdentity fileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return identityOf(info);
    // Not there yet: where a write would create it, a dangling link followed.
    const Expected<OutputTarget> target = resolveOutputTarget(path);
    const std::string where = target ? target->path : path;
    FileIdentity id;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(where, error);
    const std::filesystem::path normal = std::filesystem::weakly_canonical(absolute, error);
    id.normalPath = (error ? absolute.lexically_normal() : normal).string();
    return id;
}

FileIdentity descriptorIdentity(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0) return identityOf(info);
    return {};
}

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    if (a.exists != b.exists) return false;
    if (a.exists) return a.device == b.device && a.inode == b.inode;
    return !a.normalPath.empty() && a.normalPath == b.normalPath;
}

}  // namespace velmora
