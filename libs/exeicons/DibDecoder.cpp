#include "libs/exeicons/DibDecoder.h"

#include "libs/exeicons/DibLayout.h"
#include "libs/exeicons/IconImageInfo.h"
#include "libs/exeicons/LeReader.h"

namespace exeicons {
namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// Pixels as 0xAARRGGBB.
uint32_t Argb(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t Expand5(uint32_t v) {
    return (v << 3) | (v >> 2);
}

std::vector<uint32_t> ReadPalette(LeReader& r, const DibLayout& l) {
    std::vector<uint32_t> palette(l.paletteEntries);
    for (uint32_t i = 0; i < l.paletteEntries; ++i) {
        const uint64_t p = l.paletteOffset + uint64_t{i} * 4;   // RGBQUAD: blue, green, red, reserved
        palette[i] = Argb(r.u8(p + 2), r.u8(p + 1), r.u8(p), 0xFF);
    }
    return palette;
}

// The colour of pixel x of a colour row; 32-bit pixels keep their alpha.
uint32_t PixelAt(std::span<const uint8_t> row, int32_t x, uint16_t bits, const std::vector<uint32_t>& palette) {
    const auto ux = static_cast<size_t>(x);
    uint32_t index = 0;
    switch (bits) {
    case 1: index = (row[ux / 8] >> (7 - ux % 8)) & 1u; break;
    case 4: index = (row[ux / 2] >> (ux % 2 ? 0 : 4)) & 0xFu; break;
    case 8: index = row[ux]; break;
    case 16: {
        const uint32_t v = row[ux * 2] | (uint32_t{row[ux * 2 + 1]} << 8);
        return Argb(Expand5((v >> 10) & 0x1F), Expand5((v >> 5) & 0x1F), Expand5(v & 0x1F), 0xFF);
    }
    case 24: return Argb(row[ux * 3 + 2], row[ux * 3 + 1], row[ux * 3], 0xFF);
    default: return Argb(row[ux * 4 + 2], row[ux * 4 + 1], row[ux * 4], row[ux * 4 + 3]);
    }
    return index < palette.size() ? palette[index] : kOpaqueBlack;
}

bool MaskBit(std::span<const uint8_t> row, int32_t x) {
    const auto ux = static_cast<size_t>(x);
    return (row[ux / 8] >> (7 - ux % 8)) & 1u;
}

} // namespace

DecodeResult DecodeDibIcon(std::span<const uint8_t> data) {
    if (IsPng(data))
        return DecodeResult{ExeIconError::kNotDib, {}};
    DibLayout l;
    if (ExeIconError e = ParseDibLayout(data, &l); e != ExeIconError::kNone)
        return DecodeResult{e, {}};

    LeReader r(data);
    const std::vector<uint32_t> palette = ReadPalette(r, l);
    const auto w = static_cast<size_t>(l.width);
    const auto h = static_cast<size_t>(l.height);
    std::vector<uint32_t> argb(w * h);
    std::vector<uint8_t> transparent(w * h);
    bool anyAlpha = false;
    for (int32_t y = 0; y < l.height; ++y) {
        const uint64_t stored = static_cast<uint64_t>(l.height - 1 - y);   // rows are stored bottom first
        const auto colourRow = r.bytes(l.colourOffset + stored * l.colourStride, l.colourStride);
        const auto maskRow = r.bytes(l.maskOffset + stored * l.maskStride, l.maskStride);
        if (!r.ok())
            return DecodeResult{ExeIconError::kTruncatedImage, {}};
        for (int32_t x = 0; x < l.width; ++x) {
            const size_t i = static_cast<size_t>(y) * w + static_cast<size_t>(x);
            argb[i] = PixelAt(colourRow, x, l.bitCount, palette);
            transparent[i] = MaskBit(maskRow, x);
            anyAlpha = anyAlpha || (argb[i] >> 24) != 0;
        }
    }

    // Alpha counts only for 32-bit images that carry some; all others take
    // their transparency from the mask.
    const bool useAlpha = l.bitCount == 32 && anyAlpha;
    DecodeResult result;
    result.image.width = l.width;
    result.image.height = l.height;
    result.image.bgra.resize(w * h * 4);
    for (size_t i = 0; i < w * h; ++i) {
        uint32_t p = argb[i];
        if (!useAlpha)
            p = transparent[i] ? 0u : (p | 0xFF000000u);
        result.image.bgra[i * 4] = static_cast<uint8_t>(p);
        result.image.bgra[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
        result.image.bgra[i * 4 + 2] = static_cast<uint8_t>(p >> 16);
        result.image.bgra[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
    }
    return result;
}

} // namespace exeicons
