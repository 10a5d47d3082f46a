#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Whole-file access for 8-bit text: bytes are characters one to one.

// The file's bytes, or nullopt with a reason (e.g. "No such file or directory") in *error.
std::optional<std::string> readFileBytes(const std::string& path, std::string* error = nullptr);

// Sequential text input by path: lines as LineReader gives them.
class TextFileInput {
public:
    bool open(const std::string& path, std::string* error = nullptr);
    bool isOpen() const { return m_open; }
    bool atEnd() const;
    std::string nextLine();
    void close();

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
    bool m_open = false;
};

// Sequential text output: create or empty the file, write a text followed by CR LF.
class TextFileOutput {
public:
    ~TextFileOutput();
    bool create(const std::string& path, std::string* error = nullptr);
    bool writeLine(std::string_view text);
    bool write(std::string_view bytes);
    // Flushes and closes; false when anything failed to reach the file.
    bool close();

private:
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};

}  // namespace velmora
