#include "libs/imaging/bmp/BmpPixelFormat.h"

#include <bit>
#include <cstring>

namespace imaging::bmp {

namespace {

uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

} // namespace

BmpPixelFormat::BmpPixelFormat(const BmpHeader& header, const uint8_t* data) : header_(header) {
    palette_.fill(kOpaqueBlack);
    if (header_.bitCount <= 8) {
        ReadPalette(data);
        return;
    }
    const uint32_t masks[] = {header_.masks.blue, header_.masks.green, header_.masks.red, header_.masks.alpha};
    for (size_t c = 0; c < fields_.size(); ++c) {
        Field& f = fields_[c];
        f.mask = masks[c];
        const int width = f.mask == 0 ? 0 : 32 - std::countl_zero(f.mask) - std::countr_zero(f.mask);
        f.shift = f.mask == 0 ? 0 : std::countr_zero(f.mask) + (width > 8 ? width - 8 : 0);
        f.bits = width > 8 ? 8 : width;
    }
    for (int bits = 0; bits <= 8; ++bits)
        for (uint32_t v = 0; v < 256; ++v)
            widen_[bits][v] = WidenField(v & ((1u << bits) - 1), bits);
    plain32_ = header_.bitCount == 32 && header_.masks.red == 0x00FF0000 && header_.masks.green == 0x0000FF00 &&
               header_.masks.blue == 0x000000FF && header_.masks.alpha == 0;
    // The table costs as much as converting 65536 pixels: only larger
    // pictures are worth it.
    if (header_.bitCount == 16 && int64_t{header_.width} * header_.height >= 65536)
        BuildWordTable();
}

void BmpPixelFormat::ReadPalette(const uint8_t* data) {
    const uint32_t count = header_.paletteEntries < 256 ? header_.paletteEntries : 256;
    const uint8_t* entry = data + header_.paletteOffset;
    for (uint32_t i = 0; i < count; ++i, entry += header_.paletteEntrySize)
        palette_[i] = Bgra(entry[0], entry[1], entry[2], 255);  // the fourth byte is reserved, not alpha
}

uint32_t BmpPixelFormat::FromFields(uint32_t stored) const {
    uint32_t channel[4];
    for (size_t c = 0; c < 4; ++c) {
        const Field& f = fields_[c];
        channel[c] = widen_[f.bits][((stored & f.mask) >> f.shift) & 0xFF];
    }
    // No alpha field: opaque.
    return Bgra(channel[0], channel[1], channel[2], fields_[3].mask == 0 ? 255 : channel[3]);
}

// 16-bit pixels have only 65536 values: each is converted once.
void BmpPixelFormat::BuildWordTable() {
    words_.resize(65536);
    for (uint32_t v = 0; v < 65536; ++v)
        words_[v] = FromFields(v);
}

void BmpPixelFormat::ConvertIndexed(const uint8_t* row, uint32_t* out) const {
    const int bits = header_.bitCount;
    const uint32_t width = static_cast<uint32_t>(header_.width);
    if (bits == 8) {
        for (uint32_t x = 0; x < width; ++x)
            out[x] = palette_[row[x]];
        return;
    }
    const int perByte = 8 / bits;
    const uint32_t mask = (1u << bits) - 1;
    for (uint32_t x = 0; x < width; ++x) {
        const int shift = 8 - bits * (1 + static_cast<int>(x % perByte));  // leftmost pixel in the high bits
        out[x] = palette_[(row[x / perByte] >> shift) & mask];
    }
}

void BmpPixelFormat::ConvertBitFields32(const uint8_t* row, uint32_t* out) const {
    const uint32_t width = static_cast<uint32_t>(header_.width);
    if (plain32_) {
        for (uint32_t x = 0; x < width; ++x)
            out[x] = Load32(row + 4 * x) | 0xFF000000u;
        return;
    }
    for (uint32_t x = 0; x < width; ++x)
        out[x] = FromFields(Load32(row + 4 * x));
}

void BmpPixelFormat::ConvertRow(const uint8_t* row, uint8_t* out) const {
    const uint32_t width = static_cast<uint32_t>(header_.width);
    auto* words = reinterpret_cast<uint32_t*>(out);
    switch (header_.bitCount) {
    case 16:
        if (words_.empty()) {
            for (uint32_t x = 0; x < width; ++x)
                words[x] = FromFields(uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8);
            return;
        }
        for (uint32_t x = 0; x < width; ++x)
            words[x] = words_[row[2 * x] | row[2 * x + 1] << 8];
        return;
    case 24:
        for (uint32_t x = 0; x < width; ++x)
            words[x] = Bgra(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
        return;
    case 32: ConvertBitFields32(row, words); return;
    default: ConvertIndexed(row, words); return;
    }
}

} // namespace imaging::bmp
