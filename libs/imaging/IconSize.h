#pragma once
#include <cstdint>

namespace imaging {

// One -s option: edge length in pixels and bits per pixel (4, 8, 16, 24, 32).
struct SizeSpec {
    int32_t size = 0;
    int32_t bitsPerPixel = 32;
    friend bool operator==(const SizeSpec&, const SizeSpec&) = default;
};

} // namespace imaging
