#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "runtime/atomic_replace.h"
#include "runtime/output_target.h"
#include "support/failure_of.h"
#include "support/scratch_directory.h"

namespace velmora {
namespace {

using testing::failureOf;

// Outputs leave links, FIFOs and directories behind: the whole directory goes.
class ReplaceTest : public testing::ScratchDirectoryTest {
protected:
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    std::string read(const std::string& name) {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_dir))
            names.insert(e.path().filename().string());
        return names;
    }
    bool isLink(const std::string& name) {
        struct stat info {};
        return ::lstat(path(name).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }
};

TEST_F(ReplaceTest, NothingChangesUntilCommitThenEveryFileTakesItsPlace) {
    const std::string kept = write("kept.txt", "previous, longer than the new text\r\n");
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(kept.c_str(), 1234, 5678), 0);
    }
    const std::string longest(255, 'n');  // the longest name the file system takes

    OutputFileSystem files;
    AtomicReplace replace(files);
    ASSERT_TRUE(replace.prepare(kept, "new\r\n"));
    ASSERT_TRUE(replace.prepare(path(longest), "long\r\n"));
    EXPECT_EQ(read("kept.txt"), "previous, longer than the new text\r\n");
    std::set<std::string> temporary;
    for (const std::string& name : entries())
        if (name != "kept.txt" && name != longest) temporary.insert(name);
    ASSERT_EQ(temporary.size(), 2u);
    for (const std::string& name : temporary) {
        EXPECT_TRUE(std::regex_match(name, std::regex(R"(\.velmora-[A-Za-z0-9]{6})"))) << name;
    }

    EXPECT_TRUE(replace.commit());
    EXPECT_EQ(read("kept.txt"), "new\r\n");
    EXPECT_EQ(read(longest), "long\r\n");
    EXPECT_EQ(entries(), (std::set<std::string>{"kept.txt", longest}));
    struct stat info {};
    ASSERT_EQ(::stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 1234u);
        EXPECT_EQ(info.st_gid, 5678u);
    }
}

// Fails the `call`-th use of one operation with `error`.
class FailingFiles : public OutputFileSystem {
public:
    enum class Step { None, Sync, WriteInPlace, Rename };
    FailingFiles(Step step, int call, int error) : m_step(step), m_call(call), m_error(error) {}

    int syncAndClose(int handle) override {
        const int error = OutputFileSystem::syncAndClose(handle);
        return fails(Step::Sync) ? m_error : error;
    }
    int openInPlace(const std::string& target, bool append, bool wait, int& handle) override {
        const int error = OutputFileSystem::openInPlace(target, append, wait, handle);
        m_inPlace = handle;
        return error;
    }
    int write(int handle, std::string_view bytes, std::size_t& written) override {
        if (handle == m_inPlace && fails(Step::WriteInPlace)) return m_error;
        return OutputFileSystem::write(handle, bytes, written);
    }
    int rename(const std::string& from, const std::string& to) override {
        return fails(Step::Rename) ? m_error : OutputFileSystem::rename(from, to);
    }

private:
    bool fails(Step step) { return step == m_step && ++m_calls == m_call; }
    Step m_step;
    int m_call;
    int m_error;
    int m_calls = 0;
    int m_inPlace = -1;
};

TEST_F(ReplaceTest, FailureLeavesUntouchedEveryFileNotYetRenamedAndNoTemporary) {
    using Step = FailingFiles::Step;
    // Outputs a.txt, b.txt, a FIFO written in place, then `last`.
    struct Case {
        const char* name;
        Step step;
        int call;
        const char* last;     // a new file or a directory
        const char* prepare;  // the last prepare's failure, if any
        bool commit;
        const char* failed;  // the output the commit's failure names, if any
        const char* reason;
        const char* a;  // a.txt, b.txt and what the FIFO received, afterwards
        const char* b;
        const char* piped;
    };
    const Case cases[] = {
        {"last flush fails", Step::Sync, 3, "c.txt", "No space left on device", false, nullptr,
         nullptr, "old a", "old b", ""},
        {"a directory last", Step::None, 0, "dir", "Is a directory", false, nullptr, nullptr,
         "old a", "old b", ""},
        {"write in place fails", Step::WriteInPlace, 1, "c.txt", nullptr, true, "pipe",
         "No space left on device", "old a", "old b", ""},
        {"second rename fails", Step::Rename, 2, "c.txt", nullptr, true, "b.txt",
         "Input/output error", "new a", "old b", "new p"},
        {"never committed", Step::None, 0, "c.txt", nullptr, false, nullptr, nullptr, "old a",
         "old b", ""},
    };
    std::filesystem::create_directory(path("dir"));
    const std::string pipe = path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Held open for reading, so that opening it for writing does not wait.
    const int reader = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write("a.txt", "old a");
        write("b.txt", "old b");
        FailingFiles files(c.step, c.call, c.step == Step::Rename ? EIO : ENOSPC);
        {
            AtomicReplace replace(files);
            EXPECT_TRUE(replace.prepare(path("a.txt"), "new a"));
            EXPECT_TRUE(replace.prepare(path("b.txt"), "new b"));
            EXPECT_TRUE(replace.prepare(pipe, "new p"));
            EXPECT_EQ(failureOf(replace.prepare(path(c.last), "new c")),
                      c.prepare ? std::optional<Failure>(Failure{c.prepare, path(c.last)})
                                : std::nullopt);
            if (c.commit) {
                EXPECT_EQ(failureOf(replace.commit()), (Failure{c.reason, path(c.failed)}));
            }
        }
        EXPECT_EQ(read("a.txt"), c.a);
        EXPECT_EQ(read("b.txt"), c.b);
        EXPECT_EQ(entries(), (std::set<std::string>{"a.txt", "b.txt", "dir", "pipe"}));
        char piped[64] = {};
        const ssize_t n = ::read(reader, piped, sizeof piped);
        EXPECT_EQ(std::string(piped, n > 0 ? static_cast<std::size_t>(n) : 0), c.piped);
    }
    ::close(reader);
}

// The write permission a user other than root has: the owner's write bit.
class NonRootFiles : public OutputFileSystem {
public:
    int mayWrite(const std::string& target) override {
        struct stat info {};
        if (::stat(target.c_str(), &info) != 0) return 0;
        return (info.st_mode & S_IWUSR) != 0 ? 0 : EACCES;
    }
};

// A rename could replace a read-only file; like a shell redirection, the
// write is refused and the file stays as it was.
TEST_F(ReplaceTest, ReadOnlyFileIsRefusedAndKept) {
    const std::string kept = write("kept.txt", "earlier\r\n");
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    std::filesystem::create_symlink("kept.txt", path("link.txt"));
    NonRootFiles files;
    for (const char* name : {"kept.txt", "link.txt"}) {
        AtomicReplace outputs(files);
        EXPECT_EQ(failureOf(outputs.prepare(path(name), "new")),
                  (Failure{"Permission denied", path(name)}));
        EXPECT_TRUE(outputs.commit());
    }
    EXPECT_EQ(read("kept.txt"), "earlier\r\n");
    EXPECT_EQ(entries(), (std::set<std::string>{"kept.txt", "link.txt"}));
    AtomicReplace fresh(files);
    EXPECT_TRUE(fresh.prepare(path("new.txt"), "new"));  // no file yet: nothing to ask
    // The real check, where the test runs as a user the mode binds.
    if (::geteuid() != 0) {
        OutputFileSystem real;
        EXPECT_EQ(real.mayWrite(kept), EACCES);
    }
}

TEST_F(ReplaceTest, LinksAreFollowedAndOtherFilesWrittenInPlace) {
    std::filesystem::create_directory(path("sub"));
    write("sub/real.txt", "old");
    std::filesystem::create_symlink("sub/real.txt", path("link.txt"));
    std::filesystem::create_symlink("made.txt", path("dangling.txt"));
    std::filesystem::create_symlink("loop.txt", path("loop.txt"));
    const std::string pipe = path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    OutputFileSystem files;
    EXPECT_TRUE(replaceFile(files, path("link.txt"), "through the link"));
    EXPECT_TRUE(replaceFile(files, path("dangling.txt"), "made"));
    EXPECT_TRUE(replaceFile(files, pipe, "through the pipe"));
    EXPECT_EQ(failureOf(replaceFile(files, path("loop.txt"), "x")),
              (Failure{"Too many levels of symbolic links", path("loop.txt")}));

    // A window's save does not wait for a reader of a FIFO. Should it wait,
    // a reader comes after a while, and the test fails instead of hanging.
    const std::string unread = path("unread");
    ASSERT_EQ(::mkfifo(unread.c_str(), 0600), 0);
    std::atomic<bool> done{false};
    std::thread rescue([&] {
        for (int i = 0; i < 1000 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done) ::close(::open(unread.c_str(), O_RDONLY | O_NONBLOCK));
    });
    EXPECT_EQ(failureOf(replaceFile(files, unread, "x", false)),
              (Failure{"No such device or address", unread}));
    done = true;
    rescue.join();

    EXPECT_TRUE(isLink("link.txt"));
    EXPECT_EQ(std::filesystem::read_symlink(path("link.txt")), "sub/real.txt");
    EXPECT_EQ(read("sub/real.txt"), "through the link");
    EXPECT_TRUE(isLink("dangling.txt"));
    EXPECT_EQ(read("made.txt"), "made");
    char got[64] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 16);
    EXPECT_EQ(std::string(got), "through the pipe");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    ::close(reader);
    EXPECT_EQ(entries(), (std::set<std::string>{"sub", "link.txt", "dangling.txt", "made.txt",
                                                "loop.txt", "pipe", "unread"}));
}

TEST_F(ReplaceTest, IdentityIsTheFileItselfOrTheNormalisedPathOfANewOne) {
    write("a.txt", "a");
    write("b.txt", "b");
    std::filesystem::create_directory(path("sub"));
    std::filesystem::create_symlink("a.txt", path("to-a.txt"));
    std::filesystem::create_symlink("new.txt", path("to-new.txt"));
    const struct {
        std::string first, second;
        bool same;
    } cases[] = {
        {path("a.txt"), m_dir + "/./a.txt", true},
        {path("a.txt"), path("sub/../a.txt"), true},
        {path("a.txt"), path("to-a.txt"), true},
        {path("a.txt"), path("b.txt"), false},
        {path("new.txt"), m_dir + "//./new.txt", true},
        {path("new.txt"), path("sub/../new.txt"), true},
        {path("new.txt"), path("to-new.txt"), true},  // the write would create new.txt
        {path("new.txt"), path("other.txt"), false},
        {path("a.txt"), path("sub/a.txt"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameFile(fileIdentity(c.first), fileIdentity(c.second)), c.same)
            << c.first << " / " << c.second;
}

}  // namespace
}  // namespace velmora
