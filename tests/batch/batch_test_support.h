#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace velmora::batchtest {

// A scratch directory removed with everything in it at the end of a test.
class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        m_path = std::filesystem::temp_directory_path() /
                 ("velmora_batch_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string path(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& root() const { return m_path; }

    // Names of the entries in the directory (to find left-over temporary files).
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_path))
            names.insert(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ProcessResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs `exe` with `args`, its standard output and error captured in files
// of `scratch` (so neither is a terminal). With `stdoutTo`, standard output
// goes to that existing file instead, opened for appending as ">>" opens it.
inline ProcessResult runProcess(const std::string& exe, const std::vector<std::string>& args,
                                const ScratchDir& scratch, const std::string& stdoutTo = {}) {
    static std::atomic<int> counter{0};
    const int id = counter++;
    const std::string outPath =
        (scratch.root().parent_path() /
         ("velmora_batch_out_" + std::to_string(::getpid()) + "_" + std::to_string(id)))
            .string();
    const std::string errPath = outPath + ".err";

    std::vector<std::string> argvStore;
    argvStore.push_back(exe);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutTo.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, stdoutTo.c_str(), O_WRONLY | O_APPEND, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    ProcessResult result;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int wstatus = 0;
        ::waitpid(pid, &wstatus, 0);
        if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (stdoutTo.empty()) result.out = readFile(outPath);
    result.err = readFile(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

// Lines of a text, split at CR LF (the last, unterminated piece dropped).
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos = text.find("\r\n"); pos != std::string::npos;
         pos = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, pos - start));
        start = pos + 2;
    }
    return lines;
}

}  // namespace velmora::batchtest
