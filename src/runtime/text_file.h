#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/expected.h"

namespace velmora {

// Whole-file access for 8-bit text: bytes are characters one to one.

// The file's bytes, or a Failure whose message is the system's reason (e.g.
// "No such file or directory") and whose subject is `path`.
Expected<std::string> readFileBytes(const std::string& path);
// The same for an open descriptor (standard input), read from where it stands
// to its end; the descriptor stays open. The Failure has no subject.
Expected<std::string> readDescriptorBytes(int fd);

// A file read front to back in blocks that each hold whole lines only, by the
// line rule of LineReader: a block ends right after a line end (a CR LF stays
// whole), except the last, which ends at the end of the file. Lets a file of
// any size be scanned with a small buffer; a line longer than the buffer grows
// it.
class LineBlockInput {
public:
    // The buffer starts at initialBuffer bytes (at least 2), or at the size of
    // a smaller regular file and one byte more.
    explicit LineBlockInput(std::size_t initialBuffer = std::size_t{1} << 20)
        : m_initialBuffer(initialBuffer < 2 ? 2 : initialBuffer) {}
    LineBlockInput(const LineBlockInput&) = delete;
    LineBlockInput& operator=(const LineBlockInput&) = delete;
    ~LineBlockInput();

    // A Failure as readFileBytes gives one; nextBlock() then gives nothing.
    Status open(const std::string& path);
    // The next block, valid until the next call. False at the end of the file
    // and on a read error, which failed() and error() (the system's reason)
    // then tell.
    bool nextBlock(std::string_view& block);
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    void close();

private:
    std::size_t m_initialBuffer;
    int m_fd = -1;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;  // unconsumed bytes are [m_begin, m_end)
    std::size_t m_end = 0;
    bool m_eof = false;
    std::string m_error;
};

}  // namespace velmora
