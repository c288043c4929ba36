#include "libs/files/TempFileRegistry.h"

#include "libs/files/FolderCleanup.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace files {
namespace {

enum SlotState : int {
    kFree,
    kCreating,  // claimed; its file may or may not exist yet
    kArmed,     // its file exists and is removed on an interrupt
    kRemoving,  // the interrupt handler is removing it; the process is ending
};

struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<int> folderFd{-1};
    std::atomic<const char*> name{nullptr};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<const char*>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

Slot g_slots[kTempFileSlots];
std::atomic<bool> g_ending{false};
std::atomic<TempFileCreatedHook> g_hook{nullptr};

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

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
        // Taken over, so that its owner cannot close the folder or free the
        // name while they are used here.
        if (state == kArmed && slot.state.compare_exchange_strong(state, kRemoving))
            ::unlinkat(slot.folderFd.load(), slot.name.load(), 0);
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

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Holds the file's lock, and the name still leads to it: until then another
// process clearing up stale temporaries may have taken the lock between the
// file's creation and this call, and removed it.
bool LockedUnderItsName(int fd, int folderFd, const std::string& name) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           SameFile(held, named);
}

} // namespace

RegisteredTemp CreateRegisteredTempFile(int folderFd, const std::string& name) {
    RegisteredTemp created;
    {
        InterruptsBlocked blocked;
        const int slot = ClaimSlot();
        if (g_ending.load()) {
            g_slots[slot].state.store(kFree);
            errno = EINTR;
            return created;
        }
        g_slots[slot].folderFd.store(folderFd);
        g_slots[slot].name.store(name.c_str());
        const int fd =
            ::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) {
            const int openErrno = errno;
            g_slots[slot].state.store(kFree);
            errno = openErrno;
            return created;
        }
        g_slots[slot].state.store(kArmed);
        created = {fd, slot};
    }
    if (!LockedUnderItsName(created.fd, folderFd, name)) {
        // Not unlinked: the name, if it exists, is no longer this file.
        ::close(created.fd);
        ReleaseTempFile(created.slot);
        errno = EEXIST;
        return {};
    }
    return created;
}

void ReleaseTempFile(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= kTempFileSlots)
        return;
    int armed = kArmed;
    if (g_slots[slot].state.compare_exchange_strong(armed, kFree))
        return;
    if (armed == kRemoving) {
        for (;;)
            ::pause();  // the handler uses this slot's folder and name, then ends the process
    }
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

void NotifyTempFileCreated(const std::string& tempPath) {
    if (const TempFileCreatedHook hook = g_hook.load())
        hook(tempPath);
}

} // namespace files
