#pragma once
// A byte source over a regular file, read piecewise with pread; the file's
// size is taken when it is opened. The headers and tables the reader walks
// are many small reads close together, so one aligned block is kept and
// small reads inside it are served from memory.

#include "libs/exeicons/ByteSource.h"

#include <filesystem>
#include <memory>
#include <vector>

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
    [[nodiscard]] bool readDirect(uint64_t offset, std::span<uint8_t> out) const;
    [[nodiscard]] bool loadBlock(uint64_t start) const;

    int fd_;
    uint64_t size_;
    mutable std::vector<uint8_t> block_;    // the bytes of [blockStart_, blockStart_ + block_.size())
    mutable uint64_t blockStart_ = 0;
};

} // namespace exeicons
