#include "runtime/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "runtime/line_reader.h"

namespace velmora {

Expected<std::string> readFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return systemFailure(errno, path);
    Expected<std::string> bytes = readDescriptorBytes(fd);
    ::close(fd);
    if (!bytes) return Failure{bytes.failure().message, path};
    return bytes;
}

Expected<std::string> readDescriptorBytes(int fd) {
    std::string bytes;
    int failure = 0;
    try {
        // A regular file's size lets the buffer be sized once; whatever else
        // there is (a pipe, a file that grew) is appended in chunks.
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
            bytes.resize(static_cast<std::size_t>(info.st_size));
        }
        std::size_t used = 0;
        while (used < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                failure = errno;
                break;
            }
            if (got == 0) break;
            used += static_cast<std::size_t>(got);
        }
        bytes.resize(used);
        char chunk[65536];
        while (failure == 0) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) failure = errno;
            if (got <= 0) break;
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        failure = ENOMEM;
    } catch (const std::length_error&) {
        failure = ENOMEM;
    }
    if (failure != 0) return systemFailure(failure);
    return bytes;
}

LineBlockInput::~LineBlockInput() {
    close();
}

Status LineBlockInput::open(const std::string& path) {
    close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return systemFailure(errno, path);
    // A regular file smaller than the buffer needs only its own size, and one
    // byte more to meet its end.
    std::size_t want = m_initialBuffer;
    struct stat info {};
    if (::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) < want) {
        want = std::max<std::size_t>(2, static_cast<std::size_t>(info.st_size) + 1);
    }
    if (m_buffer.size() < want) m_buffer.resize(want);
    return {};
}

bool LineBlockInput::nextBlock(std::string_view& block) {
    if (m_fd < 0 || failed()) return false;
    for (;;) {
        if (m_eof) {
            if (m_begin == m_end) return false;
            block = std::string_view(m_buffer.data() + m_begin, m_end - m_begin);
            m_begin = m_end;
            return true;
        }
        // Cut after the last line end whose next byte is already here, so
        // that a CR LF is never split between two blocks. Lines are short, so
        // the walk back from the end stops soon.
        if (m_end - m_begin >= 2) {
            const char* const base = m_buffer.data() + m_begin;
            const char* p = m_buffer.data() + m_end - 1;  // the last byte is never the one
            while (p != base && !isLineEndChar(p[-1])) --p;
            if (p != base) {
                const char* const cut = skipLineEnd(p - 1, m_buffer.data() + m_end);
                block = std::string_view(base, static_cast<std::size_t>(cut - base));
                m_begin = static_cast<std::size_t>(cut - m_buffer.data());
                return true;
            }
        }
        if (m_begin > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
            m_end -= m_begin;
            m_begin = 0;
        }
        try {
            if (m_end == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
        } catch (const std::bad_alloc&) {
            m_error = std::strerror(ENOMEM);
            return false;
        }
        const ssize_t got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (got < 0) {
            if (errno == EINTR) continue;
            m_error = std::strerror(errno);
            return false;
        }
        if (got == 0) {
            m_eof = true;
        } else {
            m_end += static_cast<std::size_t>(got);
        }
    }
}

void LineBlockInput::close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_begin = m_end = 0;
    m_eof = false;
    m_error.clear();
}

}  // namespace velmora
