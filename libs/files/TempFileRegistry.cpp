#include "libs/files/TempFileRegistry.h"

#include "libs/files/FolderCleanup.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace files {
namespace {

enum SlotState : int {
    kFree,
    kCreating,  // claimed; its file may or may not exist yet
    kArmed,     // its file exists and is removed on an interrupt
};

struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<const char*> path{nullptr};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<const char*>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

Slot g_slots[kTempFileSlots];
std::atomic<bool> g_ending{false};
std::atomic<TempFileCreatedHook> g_hook{nullptr};

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kInterrupts)
        sigaddset(&set, sig);
    return set;
}

// While a slot is being claimed and its file created, this thread takes no
// interrupt: the handler, running elsewhere, waits for the step to finish,
// which it could not do if it had interrupted the step itself.
class InterruptsBlocked {
public:
    InterruptsBlocked() {
        const sigset_t set = InterruptSet();
        pthread_sigmask(SIG_BLOCK, &set, &saved_);
    }
    ~InterruptsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    InterruptsBlocked(const InterruptsBlocked&) = delete;
    InterruptsBlocked& operator=(const InterruptsBlocked&) = delete;

private:
    sigset_t saved_;
};

int ClaimSlot() {
    for (;;) {
        for (size_t i = 0; i < kTempFileSlots; ++i) {
            int expected = kFree;
            if (g_slots[i].state.load(std::memory_order_relaxed) == kFree &&
                g_slots[i].state.compare_exchange_strong(expected, kCreating))
                return static_cast<int>(i);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // all in use: wait for a writer to finish
    }
}

void OnInterrupt(int sig) {
    const int savedErrno = errno;
    // From here on no writer creates a file (it checks this after claiming
    // its slot); a writer that claimed before is waited for.
    g_ending.store(true);
    for (Slot& slot : g_slots) {
        int state = slot.state.load();
        while (state == kCreating)
            state = slot.state.load();
        if (state == kArmed)
            ::unlink(slot.path.load());
    }
    RemoveRegisteredFolders();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(sig, &fallback, nullptr);
    // Delivered when the handler returns: the process ends as if never caught.
    ::raise(sig);
    errno = savedErrno;
}

} // namespace

RegisteredTemp CreateRegisteredTempFile(const std::string& path) {
    RegisteredTemp created;
    {
        InterruptsBlocked blocked;
        const int slot = ClaimSlot();
        if (g_ending.load()) {
            g_slots[slot].state.store(kFree);
            errno = EINTR;
            return created;
        }
        g_slots[slot].path.store(path.c_str());
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) {
            const int openErrno = errno;
            g_slots[slot].state.store(kFree);
            errno = openErrno;
            return created;
        }
        g_slots[slot].state.store(kArmed);
        created = {fd, slot};
    }
    if (const TempFileCreatedHook hook = g_hook.load())
        hook(path);
    return created;
}

void ReleaseTempFile(int slot) {
    if (slot >= 0 && static_cast<size_t>(slot) < kTempFileSlots)
        g_slots[slot].state.store(kFree);
}

void RemoveTempFilesOnInterrupt() {
    for (int sig : kInterrupts) {
        struct sigaction previous {};
        if (::sigaction(sig, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;  // e.g. SIGHUP under nohup: the user asked to go on
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        action.sa_mask = InterruptSet();
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

void SetTempFileCreatedHook(TempFileCreatedHook hook) {
    g_hook.store(hook);
}

} // namespace files
