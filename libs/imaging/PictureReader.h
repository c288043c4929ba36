#pragma once
// A picture file opened for reading in pieces, so that its header can be
// checked before the rest is read. Only a regular file is opened, without
// ever waiting (a pipe or a device is refused).

#include "libs/imaging/PictureFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging {

class PictureReader {
public:
    PictureReader() = default;
    ~PictureReader();
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    // False when it cannot be opened, is not a regular file or is larger
    // than maxBytes.
    [[nodiscard]] bool Open(const std::string& path, int64_t maxBytes);
    // The size when opened.
    int64_t size() const { return size_; }
    // Appends up to `count` further bytes (fewer where the file ends). False
    // on a read error or without memory.
    [[nodiscard]] bool Append(size_t count, PictureBytes* bytes);
    // Up to `count` bytes at `offset`, whatever was read before: how many
    // (fewer where the file ends), or -1 on a read error.
    int64_t ReadAt(uint64_t offset, uint8_t* out, size_t count);

private:
    int fd_ = -1;
    int64_t size_ = 0;
};

} // namespace imaging
