#pragma once
// Reading a picture file into memory without ever waiting: only a regular
// file is read, and only up to a limit.

#include <cstdint>
#include <string>
#include <vector>

namespace imaging {

// Larger picture files are refused unread: at the pixel limit even a 16-bit
// RGBA picture that barely compresses stays below this.
inline constexpr int64_t kMaxPictureFileBytes = int64_t{1} << 30;

// The whole file. False when it cannot be opened, is not a regular file
// (a pipe, a device, a folder), is larger than maxBytes or cannot be read.
[[nodiscard]] bool ReadPictureFile(const std::string& path, std::vector<uint8_t>* bytes,
                                   int64_t maxBytes = kMaxPictureFileBytes);

} // namespace imaging
