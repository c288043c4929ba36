#pragma once
// Private folders that an interrupt (SIGINT, SIGTERM, SIGHUP) removes along
// with the temporary files: the handler of TempFileRegistry calls
// RemoveRegisteredFolders after removing those. A folder is removed only
// when empty after its listed files are gone, so nothing unknown is lost.

#include <string>
#include <vector>

namespace files {

// Folders registered at once, at most.
inline constexpr size_t kCleanupFolders = 4;

// Registers `folder` and the names of the files it may hold. False when all
// places are taken. The paths are kept for the rest of the process.
bool RemoveFolderOnInterrupt(const std::string& folder, const std::vector<std::string>& fileNames);

// Unlinks each registered folder's files, then the folder itself; only
// async-signal-safe calls, for the interrupt handler.
void RemoveRegisteredFolders();

} // namespace files
