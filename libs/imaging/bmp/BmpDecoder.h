#pragma once
// Our BMP decoder: every header, depth and compression Windows' bitmap
// loader reads, to 8-bit straight alpha in blue, green, red, alpha byte
// order, the colours as Windows shows them. Works on bytes in memory and
// never prints anything.
//
// Decisions where Windows' loaders are the reference:
//  - a file that ends before its last row's pixels is refused (Windows'
//    picture loader fails on it rather than showing part of a picture);
//    RLE codes that run out before end-of-bitmap while rows remain likewise;
//  - a palette index beyond the colour table is opaque black;
//  - pixels RLE codes never reach (delta, early end-of-line or -bitmap) are
//    opaque black, as on the zeroed bitmap Windows decodes them into;
//  - alpha only from an alpha bit field (BI_ALPHABITFIELDS, or BI_BITFIELDS
//    with a 56-byte, v4 or v5 header); the fourth byte of a 32-bit BI_RGB
//    pixel is ignored, as Windows ignores it, and a picture whose alpha
//    field is 0 in every pixel is opaque.
//
// Two steps, so that a caller can check the size and provide the pixel
// memory in between: ReadBmpHeader (BmpHeader.h), then DecodeImage.

#include "libs/imaging/bmp/BmpError.h"
#include "libs/imaging/bmp/BmpHeader.h"
#include "libs/imaging/bmp/BmpRle.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::bmp {

// Fills every pixel of the target (width x height of the header), or fails
// before writing any when the file is too short for it; the whole file is
// at data[0, size).
[[nodiscard]] BmpError DecodeImage(const uint8_t* data, size_t size, const BmpHeader& header,
                                   const BmpTarget& target);

// Both steps into a vector of width * height * 4 bytes.
[[nodiscard]] BmpError DecodeBmp(const uint8_t* data, size_t size, int64_t maxPixels, std::vector<uint8_t>* bgra,
                                 BmpHeader* header);

} // namespace imaging::bmp
