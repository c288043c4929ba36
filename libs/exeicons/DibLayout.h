#pragma once
// Where the parts of an icon's DIB lie: BITMAPINFOHEADER (or a later,
// longer header), colour table, colour rows, mask rows. Icon DIBs store twice
// the image height (colour rows, then the 1-bit AND mask), rows bottom first.
// Shared by the inspection of icon images and by the decoder, so both accept
// exactly the same images.

#include "libs/exeicons/ExeIconError.h"

#include <cstdint>
#include <span>

namespace exeicons {

struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;           // the image's height: half the stored one
    uint16_t bitCount = 0;        // 1, 4, 8, 16, 24 or 32
    uint32_t paletteEntries = 0;  // RGBQUAD entries after the header
    uint64_t paletteOffset = 0;
    uint64_t colourOffset = 0;
    uint64_t colourStride = 0;    // bytes per colour row, 4-byte aligned
    uint64_t maskOffset = 0;
    uint64_t maskStride = 0;      // bytes per mask row, 4-byte aligned
    uint64_t totalBytes = 0;      // header to the end of the mask
};

// Checks the header and that every part lies inside `data`. Only
// uncompressed, bottom-up DIBs with a header of at least 40 bytes are icons.
[[nodiscard]] ExeIconError ParseDibLayout(std::span<const uint8_t> data, DibLayout* out);

} // namespace exeicons
