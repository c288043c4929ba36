#pragma once
// BMP files for the decoder's tests and fuzz seeds, written field by field
// from explicit values: every header size, any colour table, bit fields and
// offsets as given, rows packed from stored pixel values. Knows nothing of
// the decoder, so its files can also be wrong on purpose.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace bmptest {

struct BmpPlan {
    uint32_t infoSize = 40;     // 12, 40, 52, 56, 108, 124 (or any value, to be refused)
    int32_t width = 1;
    int32_t height = 1;         // negative: top-down
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    // Entries as stored: blue, green, red and a fourth byte (left out in a
    // core header's table).
    std::vector<std::array<uint8_t, 4>> palette;
    // In the header from 52 bytes on (red, green, blue, alpha in order, as
    // many as fit), else written after the 40-byte header.
    std::vector<uint32_t> masks;
    std::optional<uint32_t> dataOffset;  // default: right after the colour table
    std::vector<uint8_t> pixelData;      // rows or RLE codes, as stored
};

std::vector<uint8_t> WriteBmp(const BmpPlan& plan);

// Stored rows from pixel values of `bitCount` bits each (1 to 32), rows in
// the order given, the leftmost pixel in a byte's high bits, multi-byte
// values little-endian, each row padded with zeros to four bytes.
std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows, int bitCount);

// A palette of `count` entries, entry i = (blue i, green 2i, red 3i) mod 256.
std::vector<std::array<uint8_t, 4>> RampPalette(int count);

} // namespace bmptest
