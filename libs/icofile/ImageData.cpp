#include "libs/icofile/ColourReduction.h"
#include "libs/icofile/IconFile.h"
#include "libs/icofile/LittleEndianWriter.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace icofile {
namespace {

constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kMaskColourCount = 2;

// Meaningless for bitmaps that fail validation, but never overflows.
uint32_t ImageSize(int32_t width, int32_t height, uint16_t bits) {
    const uint64_t size = uint64_t{RowBytes(static_cast<uint32_t>(width), bits)} *
                          static_cast<uint64_t>(std::llabs(int64_t{height}));
    return static_cast<uint32_t>(std::min<uint64_t>(size, std::numeric_limits<uint32_t>::max()));
}

// The depth a colour count asks for; counts are compared as signed numbers,
// so huge ones fall through to the bitmap's own depth like 0 does.
void ApplyColourCount(BitmapInfoHeader& h, uint32_t colourCount, uint16_t ownBits) {
    const auto n = static_cast<int32_t>(colourCount);
    if (n == 2) {
        h.biBitCount = 1;
    } else if (n >= 3 && n <= 16) {
        h.biBitCount = 4;
        h.biClrUsed = colourCount;
    } else if (n >= 17 && n <= 256) {
        h.biBitCount = 8;
        h.biClrUsed = colourCount;
    } else if (n >= 257 && n <= 65536) {
        // No colour table follows 16-bit pixels, so colours used stays 0:
        // Windows sizes a table from it (up to 256 entries) even above 8
        // bits and would read the pixels 1024 bytes too far on.
        h.biBitCount = 16;
    } else if (n >= 65537 && n <= 16777216) {
        h.biBitCount = 24;
    } else {
        h.biBitCount = ownBits;
    }
    h.biPlanes = 1;
    h.biClrImportant = std::min(h.biClrImportant, h.biClrUsed);
    h.biSizeImage = ImageSize(h.biWidth, h.biHeight, h.biBitCount);
}

uint32_t TableEntries(const BitmapInfoHeader& h) {
    if (h.biBitCount > 8)
        return 0;
    const uint32_t full = 1u << h.biBitCount;
    return h.biClrUsed != 0 ? std::min(h.biClrUsed, full) : full;
}

ImageMeasure Measure(const BitmapInfoHeader& h) {
    return {kHeaderSize + 4 * TableEntries(h), h.biSizeImage};
}

void WriteHeader(LittleEndianWriter& w, const BitmapInfoHeader& h) {
    w.u32(h.biSize);
    w.i32(h.biWidth);
    w.i32(h.biHeight);
    w.u16(h.biPlanes);
    w.u16(h.biBitCount);
    w.u32(h.biCompression);
    w.u32(h.biSizeImage);
    w.i32(h.biXPelsPerMeter);
    w.i32(h.biYPelsPerMeter);
    w.u32(h.biClrUsed);
    w.u32(h.biClrImportant);
}

// Rows of 1, 4 or 8 bits per pixel, bottom row first, the leftmost pixel in
// the most significant bits, each row zero-padded to RowBytes; `value(i)`
// gives the bits of the pixel at index i (top row first).
template <typename PixelValue>
void WritePackedRows(std::vector<uint8_t>& out, int32_t width, int32_t height, uint16_t bits, PixelValue value) {
    const uint32_t rowBytes = RowBytes(static_cast<uint32_t>(width), bits);
    const size_t start = out.size();
    out.resize(start + size_t{rowBytes} * static_cast<size_t>(height), 0);
    uint8_t* row = out.data() + start;
    const auto perByte = static_cast<int32_t>(8 / bits);
    for (int32_t y = height - 1; y >= 0; --y, row += rowBytes) {
        const size_t first = static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            const auto shift = static_cast<unsigned>(8 - bits * (1 + x % perByte));
            row[x / perByte] |= static_cast<uint8_t>(value(first + static_cast<size_t>(x)) << shift);
        }
    }
}

void WriteIndexedColour(std::vector<uint8_t>& out, const ColourBitmap& colour, const MaskBitmap& mask,
                        const BitmapInfoHeader& h) {
    const uint32_t entries = TableEntries(h);
    const IndexedImage image = ReduceToPalette(colour, mask, entries);
    LittleEndianWriter w(out);
    for (uint32_t i = 0; i < entries; ++i) {
        const Rgb c = i < image.palette.size() ? image.palette[i] : 0;
        w.u8(static_cast<uint8_t>(c & 0xFF));
        w.u8(static_cast<uint8_t>((c >> 8) & 0xFF));
        w.u8(static_cast<uint8_t>((c >> 16) & 0xFF));
        w.u8(0);
    }
    WritePackedRows(out, colour.width, colour.height, h.biBitCount, [&](size_t i) { return image.indices[i]; });
}

// Rows of 16, 24 or 32 bits per pixel, bottom row first, zero-padded;
// transparent pixels store colour 0.
void WriteDirectColour(std::vector<uint8_t>& out, const ColourBitmap& colour, const MaskBitmap& mask,
                       uint16_t bits) {
    const int32_t width = colour.width;
    const uint32_t rowBytes = RowBytes(static_cast<uint32_t>(width), bits);
    const size_t start = out.size();
    out.resize(start + size_t{rowBytes} * static_cast<size_t>(colour.height), 0);
    uint8_t* row = out.data() + start;
    for (int32_t y = colour.height - 1; y >= 0; --y, row += rowBytes) {
        const size_t first = static_cast<size_t>(y) * static_cast<size_t>(width);
        const uint8_t* p = colour.bgra.data() + first * 4;
        const uint8_t* clear = mask.transparent.data() + first;
        uint8_t* q = row;
        for (int32_t x = 0; x < width; ++x, p += 4) {
            if (clear[x]) {
                q += bits / 8;  // already zero
                continue;
            }
            if (bits == 16) {
                const uint16_t v = ToRgb555(p[2], p[1], p[0]);
                *q++ = static_cast<uint8_t>(v & 0xFF);
                *q++ = static_cast<uint8_t>(v >> 8);
                continue;
            }
            *q++ = p[0];
            *q++ = p[1];
            *q++ = p[2];
            if (bits == 32)
                *q++ = p[3];
        }
    }
}

} // namespace

BitmapInfoHeader PrepareImageHeader(const ColourBitmap& bitmap, uint32_t colourCount) {
    // The 32-bit bitmap's own header: bottom-up, uncompressed, its resolution.
    BitmapInfoHeader h;
    h.biWidth = bitmap.width;
    h.biHeight = bitmap.height;
    h.biBitCount = 32;
    h.biXPelsPerMeter = bitmap.xPelsPerMeter;
    h.biYPelsPerMeter = bitmap.yPelsPerMeter;
    ApplyColourCount(h, colourCount, 32);
    return h;
}

BitmapInfoHeader PrepareImageHeader(const MaskBitmap& mask, uint32_t colourCount) {
    BitmapInfoHeader h;
    h.biWidth = mask.width;
    h.biHeight = mask.height;
    h.biPlanes = 0;
    ApplyColourCount(h, colourCount, 1);
    return h;
}

ImageMeasure MeasureImageData(const ColourBitmap& bitmap, uint32_t colourCount) {
    return Measure(PrepareImageHeader(bitmap, colourCount));
}

ImageMeasure MeasureImageData(const MaskBitmap& mask, uint32_t colourCount) {
    return Measure(PrepareImageHeader(mask, colourCount));
}

std::vector<uint8_t> EncodeImageData(const ColourBitmap& colour, const MaskBitmap& mask, uint32_t colourCount) {
    if (ValidateIconBitmaps(colour, mask) != IconError::kNone)
        return {};
    return EncodeBitmapPair(colour, mask, colourCount);
}

std::vector<uint8_t> EncodeBitmapPair(const ColourBitmap& colour, const MaskBitmap& mask, uint32_t colourCount) {
    if (ValidateBitmapPair(colour, mask) != IconError::kNone)
        return {};
    const BitmapInfoHeader header = PrepareImageHeader(colour, colourCount);
    const ImageMeasure colourSize = Measure(header);
    const ImageMeasure maskSize = MeasureImageData(mask, kMaskColourCount);

    std::vector<uint8_t> out;
    out.reserve(size_t{colourSize.headerAndTable} + colourSize.pixels + maskSize.pixels);
    // Stored height counts the colour rows and the mask rows; the image size
    // is left 0, which uncompressed bitmaps allow.
    BitmapInfoHeader stored = header;
    stored.biHeight = header.biHeight * 2;
    stored.biSizeImage = 0;
    LittleEndianWriter w(out);
    WriteHeader(w, stored);

    if (header.biBitCount <= 8)
        WriteIndexedColour(out, colour, mask, header);
    else
        WriteDirectColour(out, colour, mask, header.biBitCount);

    WritePackedRows(out, colour.width, colour.height, 1, [&](size_t i) { return mask.transparent[i] != 0 ? 1u : 0u; });
    return out;
}

} // namespace icofile
