#pragma once
// The generic executable icon the shell shows for an executable without
// icons of its own, from the program's artwork.

#include "platform/shellicons/IconHandle.h"

namespace platform {

// The icon at the standard size; null only when the artwork is missing.
[[nodiscard]] IconHandle GenericExecutableIcon();

} // namespace platform
