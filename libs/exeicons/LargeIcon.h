#pragma once
// Chooses the image of an icon group that serves as the file's large icon.

#include "libs/exeicons/IconGroup.h"

#include <cstddef>
#include <optional>

namespace exeicons {

// The standard edge length of a large icon, in pixels.
inline constexpr int32_t kLargeIconEdge = 32;

// The index of the group's 32 x 32 image of the greatest depth; without one,
// the smallest image larger than 32 (of those, the greatest depth); else the
// largest image (greatest depth). Sizes and depths are the images' own, not
// the group entries'. Ties go to the first in group order. Nothing for an
// empty group. Scaling to the standard size is the caller's.
[[nodiscard]] std::optional<size_t> PickLargeIcon(const IconGroup& group);

} // namespace exeicons
