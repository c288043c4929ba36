#pragma once
// Drawn icon images for sample executables: a coloured disc with a darker
// rim on a transparent background, at any size and depth.

#include <cstdint>
#include <vector>

namespace pewriter {

// 0xAARRGGBB pixels, top row first; the disc's edge is smoothed in alpha.
[[nodiscard]] std::vector<uint32_t> DrawDisc(int32_t edge, uint32_t rgb);

// The disc as an icon DIB of 4, 8, 24 or 32 bits. 4 and 8 bits use a small
// palette of the disc's two colours; transparency goes into the mask.
[[nodiscard]] std::vector<uint8_t> DiscDib(int32_t edge, uint16_t bitCount, uint32_t rgb);

} // namespace pewriter
