#pragma once
// The temporary files a process has in flight, so that an interrupt (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT) can remove them before the process ends: nothing
// half-written stays behind. The handler may only use async-signal-safe
// calls, so the registry is a fixed table of slots, each holding an open
// descriptor of the file's folder and a pointer to its name there, both kept
// alive by their owner. Going through the folder's descriptor, the handler
// finds the file even when a folder above it was moved or renamed meanwhile.

#include <cstddef>
#include <string>

namespace files {

// Writers in flight at once; a writer finding no free slot waits for one.
inline constexpr size_t kTempFileSlots = 1024;

// Creates `name` in the folder open as `folderFd` exclusively (O_CREAT |
// O_EXCL, never following a link) with mode 0666 less the umask, and
// registers it, as one step an interrupt cannot split: the file exists only
// while registered. Then takes the file's advisory lock (flock), which says
// "still being written" to other processes clearing up stale temporaries,
// and makes sure the name still is this file: a clean-up that took the lock
// first may have removed it, and the caller then tries another name (errno
// EEXIST). Returns the descriptor and the slot, or -1 (errno set) when it
// cannot be created or the process is already ending on a signal. The lock
// lasts as long as the file's open description. `folderFd` and `name` must
// stay valid until ReleaseTempFile.
struct RegisteredTemp {
    int fd = -1;
    int slot = -1;
};
RegisteredTemp CreateRegisteredTempFile(int folderFd, const std::string& name);

// Forgets the slot's file (after it was renamed away or removed). Should an
// interrupt be removing it at this very moment, the caller waits here for the
// process to end.
void ReleaseTempFile(int slot);

// Installs the handler for SIGINT, SIGTERM, SIGHUP and SIGQUIT: it removes
// every registered file and folder (FolderCleanup.h), then ends the process
// as the signal's default action does (SIGQUIT with its core dump, where
// enabled). A signal that was ignored when the process started stays ignored.
void RemoveTempFilesOnInterrupt();

// Called with each temporary file's path once it is created and locked; for
// tests that must stop a process while it writes. Null for none.
using TempFileCreatedHook = void (*)(const std::string& tempPath);
void SetTempFileCreatedHook(TempFileCreatedHook hook);
void NotifyTempFileCreated(const std::string& tempPath);

} // namespace files
