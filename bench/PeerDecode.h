#pragma once
// libspng decoding a PNG to 8-bit RGBA (tRNS applied): the peer our decode
// stage is timed against.

#include <cstdint>
#include <vector>

namespace bench {

[[nodiscard]] bool SpngDecodeRgba8(const std::vector<uint8_t>& png, std::vector<uint8_t>* rgba);

} // namespace bench
