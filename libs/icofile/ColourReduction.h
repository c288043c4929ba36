#pragma once
// Turns a 32-bit colour bitmap and its mask into the fewer bits of a 16-,
// 8-, 4- or 1-bit icon image. Transparent pixels (mask set) always get colour
// bits of 0, so the image also displays right where only the mask counts.

#include "libs/icofile/AdaptivePalette.h"
#include "libs/icofile/IconFile.h"

#include <cstdint>
#include <vector>

namespace icofile {

struct IndexedImage {
    std::vector<Rgb> palette;      // sorted ascending; entry 0 black when any pixel is transparent
    std::vector<uint8_t> indices;  // one per pixel, rows top first
};

// A palette of at most `maxColours` (2 to 256) entries made from the opaque
// pixels only (at full opacity), and each pixel's entry in it: transparent
// pixels 0, opaque pixels their nearest colour. Up to `maxColours` distinct
// colours are kept exactly; more go through the adaptive quantiser. The
// bitmaps must have passed ValidateIconBitmaps.
IndexedImage ReduceToPalette(const ColourBitmap& colour, const MaskBitmap& mask, uint32_t maxColours);

// 5 bits per channel, rounded to nearest: red in bits 10-14, green 5-9,
// blue 0-4, bit 15 clear.
constexpr uint16_t ToRgb555(uint8_t red, uint8_t green, uint8_t blue) {
    auto five = [](uint8_t c) { return static_cast<uint16_t>((c * 31 + 127) / 255); };
    return static_cast<uint16_t>(five(red) << 10 | five(green) << 5 | five(blue));
}

} // namespace icofile
