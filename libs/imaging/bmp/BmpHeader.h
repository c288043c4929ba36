#pragma once
// A BMP's file header, info header and bit fields, read and checked the way
// Windows' bitmap loader reads them: the OS/2 core header (12 bytes), the
// info header (40) with bit fields or alpha bit fields after it, the 52- and
// 56-byte headers that hold their bit fields, and the v4 (108) and v5 (124)
// headers. The header alone says whether the rest can be decoded and how
// many bytes the file needs, so a loader can check it before reading on.

#include "libs/imaging/bmp/BmpError.h"

#include <cstddef>
#include <cstdint>

namespace imaging::bmp {

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// The file header and the largest info header, whose bit fields it holds:
// always enough bytes for ReadBmpHeader.
inline constexpr size_t kBmpFileHeaderBytes = 14;
inline constexpr size_t kBmpHeaderProbeBytes = kBmpFileHeaderBytes + 124;

struct BmpMasks {
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

struct BmpHeader {
    int32_t width = 0;   // 1 or more
    int32_t height = 0;  // 1 or more; the sign is in topDown
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = kRgb;
    BmpMasks masks;                // 16 and 32 bits: the fields each channel is read from
    uint32_t paletteOffset = 0;    // where the colour table starts in the file
    uint32_t paletteEntries = 0;   // entries stored there (1 to 8 bits only)
    uint32_t paletteEntrySize = 4; // 3 in a core header's table
    uint32_t dataOffset = 0;       // where the pixel rows start

    bool compressed() const { return compression == kRle8 || compression == kRle4; }
    // Bytes of one stored row, padded to four.
    uint64_t rowBytes() const { return (uint64_t{static_cast<uint32_t>(width)} * bitCount + 31) / 32 * 4; }
    // The fewest bytes a file with this header must hold to be decoded: its
    // colour table whole and, uncompressed, every row up to the last pixel
    // byte (the last row's padding may be missing); compressed, the codes
    // start before the end.
    uint64_t minimumFileSize() const;
    // kOk when a file of this size holds all of that; kTruncated when it
    // ends inside the colour table or the rows, kBadOffset when the rows
    // would start past its end.
    [[nodiscard]] BmpError CheckFileSize(uint64_t fileSize) const;
};

bool HasBmpSignature(const uint8_t* data, size_t size);

// Reads and checks the headers from a file's first `size` bytes
// (kBmpHeaderProbeBytes are always enough): kTruncated when they end inside
// a header, kTooLarge above maxPixels, and every structural rejection of
// BmpError. Reads nothing past the bit fields.
[[nodiscard]] BmpError ReadBmpHeader(const uint8_t* data, size_t size, int64_t maxPixels, BmpHeader* header);

// An n-bit field widened to 8 bits by repeating its high bits, as Windows
// does (5 bits: c << 3 | c >> 2; 6 bits: c << 2 | c >> 4); fields wider than
// 8 bits keep their top 8. Zero bits give 0.
uint8_t WidenField(uint32_t value, int bits);

} // namespace imaging::bmp
