#pragma once
// The byte sink of an icon file on disk. The icon is built in a temporary
// file beside the target and takes the target's place only when it is closed
// with every write stored: the target holds its earlier icon or the whole new
// one, never a part.

#include "libs/icofile/IconFile.h"
#include "libs/files/ReplacingFile.h"

#include <memory>
#include <string>

namespace icofile {

class FileSink final : public ByteSink {
public:
    // Null when the temporary file cannot be created (missing folder, no
    // permission...) or the target is not a plain file or a link.
    [[nodiscard]] static std::unique_ptr<FileSink> Create(const std::string& path);

    // A sink dropped without close() leaves the target untouched.
    ~FileSink() override = default;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    [[nodiscard]] bool append(std::span<const uint8_t> bytes) override;
    [[nodiscard]] bool writeAt(uint64_t offset, std::span<const uint8_t> bytes) override;
    [[nodiscard]] uint64_t size() const override { return end_; }
    // Puts the icon in place; false, with the target as it was, when any
    // write failed or the file cannot be closed and renamed.
    [[nodiscard]] bool close() override;

private:
    explicit FileSink(std::unique_ptr<files::ReplacingFile> file) : file_(std::move(file)) {}

    std::unique_ptr<files::ReplacingFile> file_;
    uint64_t end_ = 0;     // the file is created empty and only this sink writes it
    bool failed_ = false;  // some write did not store all its bytes
};

} // namespace icofile
