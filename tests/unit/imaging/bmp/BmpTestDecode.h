#pragma once
// Decoding a test BMP and reading its pixels back as B,G,R,A words.

#include "libs/imaging/bmp/BmpDecoder.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace bmptest {

inline constexpr int64_t kTestMaxPixels = int64_t{1} << 20;

struct Decoded {
    imaging::bmp::BmpError error = imaging::bmp::BmpError::kOk;
    imaging::bmp::BmpHeader header;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top first
    uint32_t at(int x, int y) const { return pixels.at(static_cast<size_t>(y) * header.width + x); }
};

inline Decoded Decode(const std::vector<uint8_t>& file, int64_t maxPixels = kTestMaxPixels) {
    Decoded d;
    std::vector<uint8_t> bgra;
    d.error = imaging::bmp::DecodeBmp(file.data(), file.size(), maxPixels, &bgra, &d.header);
    d.pixels.resize(bgra.size() / 4);
    if (!bgra.empty())
        std::memcpy(d.pixels.data(), bgra.data(), bgra.size());
    return d;
}

} // namespace bmptest
