#pragma once
// Plain views of 32-bit straight-alpha pixels: blue, green, red, alpha bytes,
// rows top first, `stride` bytes from one row to the next.

#include <cstddef>
#include <cstdint>

namespace imaging {

struct PixelView {
    const uint8_t* bgra = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t stride = 0;

    const uint8_t* row(int32_t y) const { return bgra + y * stride; }
};

struct PixelTarget {
    uint8_t* bgra = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t stride = 0;

    uint8_t* row(int32_t y) const { return bgra + y * stride; }
};

} // namespace imaging
