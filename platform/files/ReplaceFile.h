#pragma once
// Writes a whole file so that it either holds all the new bytes or is left as
// it was: the bytes go to a new file beside it, which is then renamed over
// the old one. No sync to the disk is forced: icons are written by the
// hundred, and a sync each would cost more than everything else together.

#include <cstdint>
#include <span>
#include <string>

namespace platform {

// False when any step fails; nothing of the attempt is left behind then.
[[nodiscard]] bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

} // namespace platform
