#pragma once
// A Qt picture as the ICO writer takes it: 32-bit straight-alpha colour and a
// mask set where a pixel is fully transparent.

#include "libs/icofile/IconFile.h"

#include <QImage>

namespace platform {

// False (outputs untouched) for a null picture.
[[nodiscard]] bool BitmapsFromImage(const QImage& picture, icofile::ColourBitmap& colour, icofile::MaskBitmap& mask);

} // namespace platform
