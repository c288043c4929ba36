#include "samples/exewriter/SampleIcons.h"

#include "samples/exewriter/IconFixtures.h"

#include <algorithm>
#include <cmath>

namespace pewriter {
namespace {

uint32_t Darker(uint32_t rgb) {
    const uint32_t r = ((rgb >> 16) & 0xFF) / 2, g = ((rgb >> 8) & 0xFF) / 2, b = (rgb & 0xFF) / 2;
    return (r << 16) | (g << 8) | b;
}

} // namespace

std::vector<uint32_t> DrawDisc(int32_t edge, uint32_t rgb) {
    std::vector<uint32_t> out(static_cast<size_t>(edge) * static_cast<size_t>(edge));
    const double c = edge / 2.0, radius = edge / 2.0 - 1.0, rim = std::max(1.0, edge / 12.0);
    for (int32_t y = 0; y < edge; ++y)
        for (int32_t x = 0; x < edge; ++x) {
            const double d = std::hypot(x + 0.5 - c, y + 0.5 - c);
            const double coverage = std::clamp(radius - d + 0.5, 0.0, 1.0);
            const uint32_t colour = d > radius - rim ? Darker(rgb) : rgb;
            const auto alpha = static_cast<uint32_t>(std::lround(coverage * 255));
            out[static_cast<size_t>(y) * static_cast<size_t>(edge) + static_cast<size_t>(x)] =
                alpha == 0 ? 0 : (alpha << 24) | colour;
        }
    return out;
}

std::vector<uint8_t> DiscDib(int32_t edge, uint16_t bitCount, uint32_t rgb) {
    const std::vector<uint32_t> disc = DrawDisc(edge, rgb);
    DibSpec s{edge, edge, bitCount, {}, {}, {}, 0};
    if (bitCount <= 8)
        s.palette = {0x000000, rgb, Darker(rgb)};
    for (uint32_t p : disc) {
        const bool clear = (p >> 24) < 128;
        s.mask.push_back(clear ? 1 : 0);
        if (bitCount == 32)
            s.pixels.push_back(p);
        else if (bitCount <= 8)
            s.pixels.push_back(clear ? 0 : (p & 0xFFFFFF) == rgb ? 1 : 2);
        else
            s.pixels.push_back(clear ? 0 : p & 0xFFFFFF);
    }
    return MakeIconDib(s);
}

} // namespace pewriter
