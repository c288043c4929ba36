#include "libs/imaging/PictureHeader.h"

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

} // namespace

int64_t PlausibleFileBytes(const uint8_t* head, size_t size, int64_t maxPixels, int64_t maxBytes) {
    if (png::HasPngSignature(head, size))
        return PlausiblePngBytes(head, size, maxPixels, maxBytes);
    // A BMP's header (after "BM") is checked the same way here once its own
    // decoder reads it; until then it is read up to the general limit.
    return maxBytes;
}

} // namespace imaging
