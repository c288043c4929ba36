#pragma once
// A minimal PNG writer for fixtures and samples: 8-bit RGBA, deflate in
// stored (uncompressed) blocks. Valid PNG that any reader decodes.

#include <cstdint>
#include <vector>

namespace pewriter {

// `argb`: width x height pixels 0xAARRGGBB, top row first.
[[nodiscard]] std::vector<uint8_t> MakePng(int32_t width, int32_t height, const std::vector<uint32_t>& argb);

} // namespace pewriter
