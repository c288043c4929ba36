#pragma once
// A byte source over a regular file, read piecewise with pread; the file's
// size is taken when it is opened.

#include "platform/exeicons/ByteSource.h"

#include <filesystem>
#include <memory>

namespace exeicons {

class FileByteSource final : public ByteSource {
public:
    // Nothing when the path cannot be opened or is not a regular file (a
    // folder, a device, a pipe).
    [[nodiscard]] static std::unique_ptr<FileByteSource> Open(const std::filesystem::path& path);

    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    [[nodiscard]] uint64_t size() const override { return size_; }

private:
    FileByteSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    [[nodiscard]] bool readAt(uint64_t offset, std::span<uint8_t> out) const override;

    int fd_;
    uint64_t size_;
};

} // namespace exeicons
