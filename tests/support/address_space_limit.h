#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

// The address and thread sanitizers reserve terabytes of address space up
// front, so a limit on it cannot be tested in a sanitizer build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMORA_SANITIZER_RESERVES_ADDRESS_SPACE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VELMORA_SANITIZER_RESERVES_ADDRESS_SPACE 1
#endif
#endif

namespace velmora::testing {

// A limit on the address space refuses new memory, but memory that earlier
// tests of the program allocated and freed would still be handed out under
// it. So a test of memory exhaustion runs again, alone, in a fresh copy of
// the test program: there this returns true and the test does its work; here
// it waits for that copy, expects it to pass, and returns false.
inline bool aloneInFreshProcess() {
    if (std::getenv("VELMORA_TEST_ALONE") != nullptr) return true;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string self = "/proc/self/exe";
    std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    std::string brief = "--gtest_brief=1";
    char* argv[] = {self.data(), filter.data(), brief.data(), nullptr};
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
    std::string mark = "VELMORA_TEST_ALONE=1";
    env.push_back(mark.data());
    env.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, env.data()) != 0 ||
        ::waitpid(pid, &status, 0) != pid)
        status = -1;
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the test failed when run alone; its output is above";
    return false;
}

}  // namespace velmora::testing

// Opens a test of memory exhaustion: skipped in a sanitizer build, otherwise
// carried out alone in a fresh copy of the test program.
#ifdef VELMORA_SANITIZER_RESERVES_ADDRESS_SPACE
#define VELMORA_TEST_ALONE_UNDER_MEMORY_LIMITS() \
    GTEST_SKIP() << "the sanitizer reserves more address space than any limit allows"
#else
#define VELMORA_TEST_ALONE_UNDER_MEMORY_LIMITS() \
    if (!::velmora::testing::aloneInFreshProcess()) return
#endif

namespace velmora::testing {

// Runs `body` in a forked child whose address space may grow by only
// `headroom` bytes beyond what it holds at the start, and returns the text
// body returned; an exception out of body gives "exception: " and its text,
// a child that does not end normally "child crashed".
// Call it only while the process has a single thread.
inline std::string runUnderAddressSpaceLimit(std::size_t headroom,
                                             const std::function<std::string()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::size_t pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%zu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlim_t limit =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom;
        const rlimit rl{limit, limit};
        std::string text = "no limit";
        try {
            if (pages != 0 && ::setrlimit(RLIMIT_AS, &rl) == 0) text = body();
        } catch (const std::exception& e) {
            text = std::string("exception: ") + e.what();
        }
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);  // no test framework teardown in the child
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return "child crashed";
    return text;
}

}  // namespace velmora::testing
