#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "output/output_file.h"
#include "runtime/output_file_system.h"
#include "support/failure_of.h"
#include "support/scratch_directory.h"

namespace velmora {
namespace {

using testing::failureOf;

TEST(OutputFile, NameGetsTxtUnlessItEndsInExactlyTxt) {
    const std::pair<std::string, std::string> cases[] = {
        {"results", "results.txt"},
        {"results.txt", "results.txt"},
        {"results.TXT", "results.TXT.txt"},
        {"a", "a.txt"},
        {"txt", "txt.txt"},
        {".txt", ".txt"},
        {"old/results", "old/results.txt"},
        {" x ", " x .txt"},
    };
    for (const auto& [typed, name] : cases) EXPECT_EQ(outputFileName(typed), name) << typed;
}

TEST(OutputFile, ContentIsThePaneTextAndOneCrLf) {
    EXPECT_EQ(outputFileContent(""), "\r\n");
    EXPECT_EQ(outputFileContent("abc"), "abc\r\n");
    EXPECT_EQ(outputFileContent("abc\r\n"), "abc\r\n\r\n");
}

TEST(OutputFile, EveryLineOfAFileEndsInCrLfInThePane) {
    const std::pair<std::string, std::string> cases[] = {
        {"A\r\nB\r\n", "A\r\nB\r\n"},
        {"A\r\nB", "A\r\nB\r\n"},
        {"", ""},
        {"A\rB\r", "A\r\nB\r\n"},
        {"A\nB\n", "A\r\nB\r\n"},
        {"\r\n\r\n", "\r\n\r\n"},
        {"A\nB\r\nC\rD", "A\r\nB\r\nC\r\nD\r\n"},
    };
    for (const auto& [file, pane] : cases) EXPECT_EQ(paneTextOfFile(file), pane) << file;
}

TEST(OutputFile, FileIsReadAsUtf8OnlyWhenItIsValidUtf8) {
    EXPECT_EQ(outputFileEncoding("caf\xC3\xA9\r\n"), TextEncoding::Utf8);
    EXPECT_EQ(outputFileEncoding("caf\xE9\r\n"), TextEncoding::Latin1);
}

// Makes one step of a save fail with `error`; a failing write first writes
// two bytes, as a disk that fills up part-way does.
class FailingFiles : public OutputFileSystem {
public:
    enum class Step { Create, Write, Sync, Rename };
    FailingFiles(Step step, int error) : m_step(step), m_error(error) {}

    int createTemporary(const std::string& target, std::string& tempPath, int& handle) override {
        if (m_step == Step::Create) return m_error;
        return OutputFileSystem::createTemporary(target, tempPath, handle);
    }
    int write(int handle, std::string_view bytes, std::size_t& written) override {
        if (m_step != Step::Write) return OutputFileSystem::write(handle, bytes, written);
        if (m_wrotePart) return m_error;
        m_wrotePart = true;
        return OutputFileSystem::write(handle, bytes.substr(0, 2), written);
    }
    int syncAndClose(int handle) override {
        const int error = OutputFileSystem::syncAndClose(handle);
        return m_step == Step::Sync ? m_error : error;
    }
    int rename(const std::string& from, const std::string& to) override {
        if (m_step == Step::Rename) return m_error;
        return OutputFileSystem::rename(from, to);
    }

private:
    Step m_step;
    int m_error;
    bool m_wrotePart = false;
};

class SaveOutputFile : public testing::ScratchDirectoryTest {
protected:
    // Every entry of the directory, hidden ones included.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        DIR* dir = ::opendir(m_dir.c_str());
        if (dir == nullptr) return names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string contentOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(SaveOutputFile, ReplacesAnExistingFileKeepingItsPermissions) {
    const std::string file = writeFile("results.txt", "earlier output, longer than the new\r\n");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    OutputFileSystem files;
    EXPECT_TRUE(saveOutputFile(files, file, "abc"));
    EXPECT_EQ(contentOf(file), "abc\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(), std::vector<std::string>{"results.txt"});
}

TEST_F(SaveOutputFile, FailureAtAnyStepKeepsTheOldFileAndLeavesNoTemporary) {
    struct Case {
        FailingFiles::Step step;
        int error;
        const char* reason;
    };
    const Case cases[] = {
        {FailingFiles::Step::Create, EACCES, "Permission denied"},
        {FailingFiles::Step::Write, ENOSPC, "No space left on device"},
        {FailingFiles::Step::Sync, EIO, "Input/output error"},
        {FailingFiles::Step::Rename, EXDEV, "Invalid cross-device link"},
    };
    const std::string old("old\r\n\xE9\r\n", 7);
    const std::string file = writeFile("results.txt", old);
    for (const Case& c : cases) {
        FailingFiles files(c.step, c.error);
        EXPECT_EQ(failureOf(saveOutputFile(files, file, "a much longer new text")),
                  (Failure{c.reason, file}));
        EXPECT_EQ(contentOf(file), old) << c.reason;
        EXPECT_EQ(entries(), std::vector<std::string>{"results.txt"}) << c.reason;
    }
}

TEST_F(SaveOutputFile, MissingSubdirectoryFailsWithoutCreatingAnything) {
    OutputFileSystem files;
    EXPECT_EQ(failureOf(saveOutputFile(files, m_dir + "/missing/results.txt", "abc")),
              (Failure{"No such file or directory", m_dir + "/missing/results.txt"}));
    EXPECT_TRUE(entries().empty());
}

}  // namespace
}  // namespace velmora
