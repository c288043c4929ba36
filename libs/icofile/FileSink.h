#pragma once
// The byte sink of an icon file on disk.

#include "libs/icofile/IconFile.h"

#include <memory>
#include <string>

namespace icofile {

class FileSink final : public ByteSink {
public:
    // Creates the file at `path`, replacing any existing one; null when it
    // cannot be created (missing folder, no permission...).
    [[nodiscard]] static std::unique_ptr<FileSink> Create(const std::string& path);

    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    [[nodiscard]] bool append(std::span<const uint8_t> bytes) override;
    [[nodiscard]] bool writeAt(uint64_t offset, std::span<const uint8_t> bytes) override;
    [[nodiscard]] uint64_t size() const override { return end_; }
    [[nodiscard]] bool close() override;

private:
    explicit FileSink(int fd) : fd_(fd) {}
    [[nodiscard]] bool writeFully(uint64_t offset, std::span<const uint8_t> bytes);

    int fd_ = -1;
    uint64_t end_ = 0;     // the file is created empty and only this sink writes it
    bool failed_ = false;  // some write did not store all its bytes
};

} // namespace icofile
