#pragma once
// Writes a whole file, replacing any file of that name, and never leaves a
// partial file behind: a write that fails removes what it wrote. No sync to
// the disk is forced: icons are written by the hundred, and a sync each
// would cost more than everything else together.

#include <cstdint>
#include <span>
#include <string>

namespace files {

// False when the file cannot be created or fully written.
[[nodiscard]] bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

} // namespace files
