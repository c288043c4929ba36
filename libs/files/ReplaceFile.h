#pragma once
// Writes a whole file in one step, replacing any file of that name: through a
// temporary file that is renamed over the target, so the target holds either
// its earlier bytes or all of the new ones (see ReplacingFile).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace files {

// False when the file cannot be created or fully written; the target is then
// as it was. With a mode, the new file has those permission bits (0755 for a
// program) instead of the usual ones.
[[nodiscard]] bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes,
                               std::optional<unsigned> mode = std::nullopt);

} // namespace files
