#pragma once
// Temporary files that a run which ended without cleaning up (SIGKILL, a
// power cut) left beside its targets. A writer keeps its temporary file
// locked (flock) from creation until it is renamed or removed; a file of the
// temporary-name pattern whose lock can be taken therefore belongs to no
// live writer, and the next writer of its target removes it. Anything not of
// the pattern exactly, or not a plain file, is never touched.

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace files {

// Length of the unique part of a temporary name, and its letters.
inline constexpr size_t kTempSuffixLength = 8;
inline constexpr std::string_view kTempSuffixAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// Whether `entry` is a name TempNameFor gives `targetName` with some suffix
// of kTempSuffixLength letters of the alphabet.
bool IsTempNameFor(std::string_view entry, std::string_view targetName);

// Removes `name` from the folder open as `folderFd` when it is a plain file
// whose lock no one holds; true when removed.
bool RemoveIfStale(int folderFd, const std::string& name);

class StaleTempFiles {
public:
    // The one set of a process: each folder is listed once per process, at
    // the first write into it.
    static StaleTempFiles& Instance();

    // Removes the stale temporary files of `targetName` in the folder open
    // as `folderFd`.
    void RemoveFor(int folderFd, const std::string& targetName);

private:
    using FolderId = std::pair<dev_t, ino_t>;
    std::mutex mutex_;
    // Per folder seen, the names found there that look like temporaries.
    std::map<FolderId, std::vector<std::string>> candidates_;
};

} // namespace files
