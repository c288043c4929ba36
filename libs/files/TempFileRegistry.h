#pragma once
// The temporary files a process has in flight, so that an interrupt (SIGINT,
// SIGTERM, SIGHUP) can remove them before the process ends: nothing
// half-written stays behind. The handler may only use async-signal-safe
// calls, so the registry is a fixed table of slots holding pointers to paths
// that their owners keep alive.

#include <cstddef>
#include <string>

namespace files {

// Writers in flight at once; a writer finding no free slot waits for one.
inline constexpr size_t kTempFileSlots = 1024;

// Creates `path` exclusively (O_CREAT | O_EXCL, never following a link) with
// mode 0666 less the umask, and registers it, as one step an interrupt cannot
// split: the file exists only while registered. Returns the descriptor and
// the slot, or -1 (errno set) when it cannot be created or the process is
// already ending on a signal. `path` must stay alive until ReleaseTempFile.
struct RegisteredTemp {
    int fd = -1;
    int slot = -1;
};
RegisteredTemp CreateRegisteredTempFile(const std::string& path);

// Forgets the slot's file (after it was renamed away or removed).
void ReleaseTempFile(int slot);

// Installs the handler for SIGINT, SIGTERM and SIGHUP: it removes every
// registered file and folder (FolderCleanup.h), then ends the process with
// the signal's usual status.
// A signal that was ignored when the process started stays ignored.
void RemoveTempFilesOnInterrupt();

// Called with each temporary file's path right after it is created; for
// tests that must stop a process while it writes. Null for none.
using TempFileCreatedHook = void (*)(const std::string& tempPath);
void SetTempFileCreatedHook(TempFileCreatedHook hook);

} // namespace files
