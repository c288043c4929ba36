#pragma once
// RLE8 and RLE4 pixel data, decoded as Windows' bitmap loader does: runs and
// absolute runs clipped at the row's end, end-of-line, end-of-bitmap and
// delta codes; pixels the codes never reach keep what the target holds.

#include "libs/imaging/bmp/BmpError.h"
#include "libs/imaging/bmp/BmpHeader.h"
#include "libs/imaging/bmp/BmpPixelFormat.h"

#include <cstddef>
#include <cstdint>

namespace imaging::bmp {

struct BmpTarget {
    uint8_t* bgra = nullptr;  // rows top first, 4-byte aligned
    ptrdiff_t stride = 0;
};

// Decodes the codes in data[0, size) into the target. kBadRle when they run
// out before end-of-bitmap while rows remain, or an absolute run is cut.
[[nodiscard]] BmpError DecodeRle(const uint8_t* data, size_t size, const BmpHeader& header,
                                 const BmpPixelFormat& format, const BmpTarget& target);

} // namespace imaging::bmp
