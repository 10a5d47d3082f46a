#include "runtime/temporary_files.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace velmora {

namespace {

// Signals whose default action ends the program while it may be writing: an
// interrupt, a kill, a closed terminal, a reader gone from a pipe, and a
// file-size limit reached.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

constexpr int kSlots = 16;
constexpr std::size_t kPathCapacity = 4096;

enum SlotState : int { Free, Writing, Registered };

// A handler may only read what it finds complete: a slot's path counts once
// its state says Registered, and lock-free atomics are safe in a handler.
struct Slot {
    std::atomic<int> state{Free};
    char path[kPathCapacity] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

Slot g_slots[kSlots];

void handledSignals(sigset_t& set) {
    sigemptyset(&set);
    for (const int signal : kSignals) sigaddset(&set, signal);
}

// Only async-signal-safe calls: unlink and raise.
extern "C" void removeAndRaiseAgain(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : g_slots)
        if (slot.state.load() == Registered) ::unlink(slot.path);
    errno = savedErrno;
    // SA_RESETHAND gave the signal its default action back; raised again, it
    // is delivered once this handler returns and ends the program with the
    // status the signal gives.
    ::raise(signal);
}

}  // namespace

TemporaryFileGuard::TemporaryFileGuard() {
    sigset_t set;
    handledSignals(set);
    pthread_sigmask(SIG_BLOCK, &set, &m_saved);
}

TemporaryFileGuard::~TemporaryFileGuard() {
    pthread_sigmask(SIG_SETMASK, &m_saved, nullptr);
}

int registerTemporaryFile(const std::string& path) {
    if (path.size() >= kPathCapacity) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = Free;
        if (g_slots[i].state.compare_exchange_strong(expected, Writing)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(Registered);
            return i;
        }
    }
    return -1;
}

void unregisterTemporaryFile(int slot) {
    if (slot >= 0 && slot < kSlots) g_slots[slot].state.store(Free);
}

void removeTemporaryFilesOnSignals() {
    for (const int signal : kSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeAndRaiseAgain;
        handledSignals(action.sa_mask);  // one cleanup at a time
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace velmora
