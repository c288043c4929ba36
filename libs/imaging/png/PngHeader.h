#pragma once
// The picture's header (IHDR) and the row geometry that follows from it:
// bytes per row, the seven Adam7 passes, the length of the filtered data.

#include "libs/imaging/png/PngError.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace imaging::png {

enum ColourType : uint8_t { kGrey = 0, kTruecolour = 2, kPalette = 3, kGreyAlpha = 4, kTruecolourAlpha = 6 };

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;
    bool interlaced = false;

    int channels() const;
    int bitsPerPixel() const { return channels() * bitDepth; }
    // The distance the filters look back: whole pixels, at least one byte.
    size_t filterStride() const { return bitsPerPixel() < 8 ? 1 : static_cast<size_t>(bitsPerPixel() / 8); }
    // Bytes of one row `pixels` wide, without its filter byte.
    uint64_t rowBytes(uint32_t pixels) const { return (uint64_t{pixels} * bitsPerPixel() + 7) / 8; }
};

// The 13 bytes of IHDR's data, checked: dimensions 1 to 2^31-1, a depth
// allowed for the colour type, and methods the standard defines.
[[nodiscard]] PngError ParseHeader(const uint8_t* data, PngHeader* header);

// One Adam7 pass (or the whole picture when not interlaced): the pixels it
// covers are (x0 + i * dx, y0 + j * dy) for i < width, j < height.
struct PngPass {
    uint32_t x0 = 0, y0 = 0, dx = 1, dy = 1;
    uint32_t width = 0, height = 0;
    bool empty() const { return width == 0 || height == 0; }
};

struct PngPasses {
    std::array<PngPass, 7> pass;
    int count = 0;
};

PngPasses PassesOf(const PngHeader& header);

// Bytes of filtered data (filter bytes included) the zlib stream must hold.
uint64_t FilteredSize(const PngHeader& header);

// The largest file such a header makes plausible: its filtered data stored
// uncompressed (what an encoder writes when nothing compresses), IDAT chunks
// of 1 KiB or more, and 64 MiB besides for ancillary chunks (colour profiles,
// text, previews) and odd chunk layouts. Larger files are refused unread.
uint64_t PlausibleFileSize(const PngHeader& header);

inline uint32_t ReadBig32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

inline uint16_t ReadBig16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

} // namespace imaging::png
