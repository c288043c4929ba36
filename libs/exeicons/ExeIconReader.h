#pragma once
// Reads the first icon of a Windows executable, PE32, PE32+ or 16-bit NE:
// its first icon group in stored resource order and that group's images.
// Stand-in for the platform's icon extraction from executables.

#include "libs/exeicons/ByteSource.h"
#include "libs/exeicons/IconGroup.h"

#include <filesystem>

namespace exeicons {

// The first icon group that names at least one readable image, with those
// images in group order (entries naming a missing or unreadable image are
// left out). The error tells a file that is not a module (text, ELF, a
// damaged header) from a module without icons (no resources, a damaged
// resource area, no icon group); see PresenceOf.
[[nodiscard]] IconGroupResult ReadFirstIconGroup(const ByteSource& source);

// The same for a file; kCannotRead when it cannot be opened as a regular file.
[[nodiscard]] IconGroupResult ReadFirstIconGroupFromFile(const std::filesystem::path& path);

} // namespace exeicons
