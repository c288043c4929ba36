#include "libs/exeicons/DibLayout.h"

#include "libs/exeicons/ExeIconLimits.h"
#include "libs/exeicons/LeReader.h"

namespace exeicons {
namespace {

constexpr uint32_t kInfoHeaderBytes = 40;   // BITMAPINFOHEADER
constexpr uint32_t kCoreHeaderBytes = 12;   // BITMAPCOREHEADER, never seen in icons
constexpr uint32_t kMaxHeaderBytes = 1024;  // longer than any header kind
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kMaxPaletteEntries = 256;

bool KnownBitCount(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint64_t RowBytes(uint64_t width, uint64_t bits) {
    return (width * bits + 31) / 32 * 4;
}

} // namespace

ExeIconError ParseDibLayout(std::span<const uint8_t> data, DibLayout* out) {
    LeReader r(data);
    const uint32_t headerBytes = r.u32(0);
    if (!r.ok() || headerBytes == kCoreHeaderBytes)
        return r.ok() ? ExeIconError::kUnsupportedDib : ExeIconError::kNotDib;
    if (headerBytes < kInfoHeaderBytes || headerBytes > kMaxHeaderBytes)
        return ExeIconError::kNotDib;
    if (!r.has(0, headerBytes))
        return ExeIconError::kTruncatedImage;

    const int32_t width = r.i32(4);
    const int32_t storedHeight = r.i32(8);
    const uint16_t bitCount = r.u16(14);
    const uint32_t compression = r.u32(16);
    const uint32_t coloursUsed = r.u32(32);
    if (storedHeight < 0 || !KnownBitCount(bitCount) || compression != kBiRgb)
        return ExeIconError::kUnsupportedDib;
    const int32_t height = storedHeight / 2;
    if (width <= 0 || height <= 0 || width > kMaxIconEdge || height > kMaxIconEdge)
        return ExeIconError::kImageTooLarge;

    uint32_t paletteEntries = coloursUsed;
    if (bitCount <= 8) {
        const uint32_t full = 1u << bitCount;
        if (coloursUsed > full)
            return ExeIconError::kUnsupportedDib;
        if (coloursUsed == 0)
            paletteEntries = full;
    } else if (coloursUsed > kMaxPaletteEntries) {
        return ExeIconError::kUnsupportedDib;
    }

    // All terms are small (edge <= kMaxIconEdge, palette <= 256 entries), so
    // none of the sums below can overflow 64 bits.
    DibLayout l;
    l.width = width;
    l.height = height;
    l.bitCount = bitCount;
    l.paletteEntries = paletteEntries;
    l.paletteOffset = headerBytes;
    l.colourOffset = l.paletteOffset + uint64_t{paletteEntries} * 4;
    l.colourStride = RowBytes(static_cast<uint64_t>(width), bitCount);
    l.maskOffset = l.colourOffset + l.colourStride * static_cast<uint64_t>(height);
    l.maskStride = RowBytes(static_cast<uint64_t>(width), 1);
    l.totalBytes = l.maskOffset + l.maskStride * static_cast<uint64_t>(height);
    if (l.totalBytes > data.size())
        return ExeIconError::kTruncatedImage;
    *out = l;
    return ExeIconError::kNone;
}

} // namespace exeicons
