#pragma once
// Turns an executable's icon group into the shell's large icon.

#include "libs/exeicons/IconGroup.h"
#include "platform/shellicons/IconHandle.h"

#include <optional>

namespace platform {

// The group's image that serves as the large icon (see
// exeicons::PickLargeIcon) at the standard size: a 32 x 32 image as it is,
// any other scaled to 32 x 32 with the bicubic resampler; a 32 x 32 DIB
// keeps its stored bytes (see IconHandle). Null when the group is empty or
// the chosen image cannot be decoded (a damaged PNG).
[[nodiscard]] IconHandle LargeIconOf(const exeicons::IconGroup& group);

// One icon image decoded to ARGB32 with straight alpha, at its own size;
// nothing when it cannot be decoded or decodes to another size than it
// claims.
[[nodiscard]] std::optional<QImage> DecodeIconImage(const exeicons::IconImage& image);

// The picture stretched onto the standard icon size; the picture itself when
// it has that size already. Null when it cannot be scaled.
[[nodiscard]] QImage ToStandardIconSize(const QImage& picture);

} // namespace platform
