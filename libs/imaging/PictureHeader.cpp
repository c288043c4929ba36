#include "libs/imaging/PictureHeader.h"

#include "libs/imaging/bmp/BmpHeader.h"
#include "libs/imaging/png/PngChunkReader.h"

#include <algorithm>
#include <cstring>

namespace imaging {

namespace {

constexpr size_t kIhdrEnd = 8 + 8 + 13;  // signature, length and name, data (the checksum is checked later)

int64_t PlausiblePngBytes(const uint8_t* head, size_t size, int64_t maxPixels, int64_t maxBytes) {
    if (size < kIhdrEnd || png::ReadBig32(head + 8) != 13 || std::memcmp(head + 12, "IHDR", 4) != 0)
        return 0;
    png::PngHeader header;
    if (png::ParseHeader(head + 16, &header) != png::PngError::kOk ||
        int64_t{header.width} * int64_t{header.height} > maxPixels)
        return 0;
    return static_cast<int64_t>(std::min<uint64_t>(png::PlausibleFileSize(header), static_cast<uint64_t>(maxBytes)));
}

// Room for what may follow a BMP's pixels (a v5 header's colour profile,
// bytes other writers leave at the end), as a PNG gets for ancillary chunks.
constexpr uint64_t kBmpTrailingBytes = uint64_t{64} << 20;

int64_t PlausibleBmpBytes(const uint8_t* head, size_t size, int64_t maxPixels, int64_t maxBytes) {
    bmp::BmpHeader header;
    if (bmp::ReadBmpHeader(head, size, maxPixels, &header) != bmp::BmpError::kOk)
        return 0;
    const uint64_t rows = static_cast<uint32_t>(header.height);
    const uint64_t pixels = uint64_t{static_cast<uint32_t>(header.width)} * rows;
    // Run-length codes at their least efficient: one pixel per two-byte
    // run, an end-of-line per row and the end of the bitmap.
    const uint64_t rle = 2 * pixels + 2 * rows + 2;
    const uint64_t pixelBytes = header.compressed() ? rle : header.rowBytes() * rows;
    const uint64_t plausible = uint64_t{header.dataOffset} + pixelBytes + kBmpTrailingBytes;
    return static_cast<int64_t>(std::min(plausible, static_cast<uint64_t>(maxBytes)));
}

} // namespace

int64_t PlausibleFileBytes(const uint8_t* head, size_t size, int64_t maxPixels, int64_t maxBytes) {
    if (png::HasPngSignature(head, size))
        return PlausiblePngBytes(head, size, maxPixels, maxBytes);
    if (bmp::HasBmpSignature(head, size))
        return PlausibleBmpBytes(head, size, maxPixels, maxBytes);
    return maxBytes;
}

} // namespace imaging
