#pragma once
// A file written whole or not at all. The bytes go to a fresh temporary file
// beside the target (".name.XXXXXX", created exclusively), which is renamed
// over the target only when complete and closed. Until then the target, and
// any earlier file of that name, is untouched; a failed or abandoned write
// removes the temporary file; an interrupt removes it too (see
// TempFileRegistry). A symbolic link at the target is replaced, not followed.
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
    const std::string& tempPath() const { return tempPath_; }

private:
    explicit ReplacingFile(std::string target) : target_(std::move(target)) {}
    [[nodiscard]] bool Open();
    void Release();

    std::string target_;
    std::string tempPath_;  // while registered, the interrupt handler reads it: never changed then
    int fd_ = -1;
    int slot_ = -1;  // registry slot while the temporary file exists
};

// The name of the temporary file for `target`, with `suffix` as its unique
// part: the same folder, a leading full stop, the target's name shortened
// where needed so that the name stays within the system's limit.
std::string TempPathFor(const std::string& target, const std::string& suffix);

} // namespace files
