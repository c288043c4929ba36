#pragma once
// One premultiplied pixel in fixed point: blue, green, red and alpha as
// 16-bit integers, 64 units per step of an 8-bit channel, so an opaque
// white pixel is 16320 in every lane. Integers add up exactly in any order,
// so every SIMD path gives the same bytes by construction; 14 bits leave
// room in a signed 16-bit lane for the kernel's overshoot and ringing.

#include <bit>
#include <cstdint>

namespace imaging {

static_assert(std::endian::native == std::endian::little,
              "pixels are handled as blue, green, red, alpha bytes of little-endian 32-bit words");

struct alignas(8) FixedPixel {
    int16_t lane[4];
};

inline constexpr int32_t kFixedShift = 6;
inline constexpr int32_t kFixedOne = 255 << kFixedShift;  // alpha 255

// Colour times alpha, scaled by 64 / 255: (c a + 2) 16448 >> 16 is within
// one unit of it, fits the 16-bit multiplies of every path, and gives
// exactly the alpha lane (a 64) for colour 255, so an opaque colour stays
// pure after filtering.
inline constexpr uint32_t kPremultiplyFactor = 16448;  // 257 x 64
inline int16_t PremultiplyChannel(uint32_t colour, uint32_t alpha) {
    return static_cast<int16_t>(((colour * alpha + 2) * kPremultiplyFactor) >> 16);
}

inline FixedPixel Premultiply(const uint8_t* bgra) {
    const uint32_t alpha = bgra[3];
    return FixedPixel{{PremultiplyChannel(bgra[0], alpha), PremultiplyChannel(bgra[1], alpha),
                       PremultiplyChannel(bgra[2], alpha), static_cast<int16_t>(alpha << kFixedShift)}};
}

} // namespace imaging
