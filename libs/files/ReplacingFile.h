#pragma once
// A file written whole or not at all. The bytes go to a fresh temporary file
// beside the target (".name.XXXXXXXX", created exclusively), which is renamed
// over the target only when complete and closed. Until then the target, and
// any earlier file of that name, is untouched; a failed or abandoned write
// removes the temporary file; an interrupt removes it too (see
// TempFileRegistry), and one a killed process left is removed by the next
// writer of that target (see StaleTempFiles). A symbolic link at the target
// is replaced, not followed. The folder is opened once and every step goes
// through it, so that moving or renaming a folder above it while the file is
// written leaves nothing behind: the file takes its place in the folder
// where it now is.
//
// No sync to the disk is forced: icons are written by the hundred, and a
// sync each would cost more than the rest of the work. The rename still
// keeps every reader from seeing a partial file.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace files {

class ReplacingFile {
public:
    // Null when the temporary file cannot be created (missing folder, no
    // permission, the process is ending) or the target is something other
    // than a plain file or a link: a folder, a pipe or a device is never
    // replaced.
    [[nodiscard]] static std::unique_ptr<ReplacingFile> Create(const std::string& target);

    // Removes the temporary file unless it was committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Stores all the bytes at `offset`; false when any could not be stored.
    [[nodiscard]] bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
    // Gives the file these permission bits before it takes the target's
    // place, so that it is never found there without them.
    [[nodiscard]] bool SetMode(unsigned mode);
    // Closes the file and renames it over the target. False, with the target
    // as it was and the temporary file gone, when closing or renaming fails.
    [[nodiscard]] bool Commit();
    // Drops what was written; the target stays as it was.
    void Discard();

    const std::string& target() const { return target_; }
    // The temporary file's path as the target was given (its folder may
    // have moved since).
    const std::string& tempPath() const { return tempPath_; }

private:
    explicit ReplacingFile(std::string target) : target_(std::move(target)) {}
    [[nodiscard]] bool Open();
    [[nodiscard]] bool MayReplace() const;
    void Release();

    std::string target_;
    std::string name_;      // the target's name in its folder
    std::string tempName_;  // while registered, the interrupt handler reads it: never changed then
    std::string tempPath_;
    int folderFd_ = -1;  // the target's folder; open while the temporary file may exist
    int fd_ = -1;
    int lockFd_ = -1;  // shares fd_'s lock and keeps it after fd_ is closed, until the rename
    int slot_ = -1;    // registry slot while the temporary file exists
};

// The name of the temporary file for a target named `name`, with `suffix` as
// its unique part: a leading full stop, the target's name shortened where
// needed so that the name stays within the system's limit, a full stop and
// the suffix.
std::string TempNameFor(const std::string& name, const std::string& suffix);
// The same with the target's folder in front.
std::string TempPathFor(const std::string& target, const std::string& suffix);

} // namespace files
