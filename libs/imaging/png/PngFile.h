#pragma once
// What the chunk reader keeps of a PNG: its header, palette, transparency
// and where the pieces of its compressed image data lie in the caller's bytes.

#include "libs/imaging/png/PngHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::png {

struct ByteSpan {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

struct PngFile {
    PngHeader header;
    // PLTE as red, green, blue triples; paletteSize entries are valid.
    std::array<uint8_t, 256 * 3> palette{};
    int paletteSize = 0;
    // tRNS: per palette entry an alpha (entries it does not name stay 255),
    // or for grey and truecolour the one 16-bit colour that is transparent.
    bool hasTransparentColour = false;
    std::array<uint16_t, 3> transparentColour{};  // grey in [0]; or red, green, blue
    std::array<uint8_t, 256> paletteAlpha;
    // The IDAT payloads in file order, empty ones left out (only when the
    // bytes are all in memory).
    std::vector<ByteSpan> imageData;
    uint64_t imageDataSize = 0;
    uint64_t imageDataAt = 0;  // where the first IDAT chunk starts

    PngFile() { paletteAlpha.fill(255); }
};

} // namespace imaging::png
