#include "libs/imaging/IconFilePng.h"

#include "libs/imaging/png/PngChunkReader.h"

#include <algorithm>

namespace imaging {

namespace {

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;

uint32_t Little16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
uint32_t Little32(const uint8_t* p) { return Little16(p) | Little16(p + 2) << 16; }

} // namespace

EmbeddedPng FirstIconImagePng(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kHeaderBytes + kEntryBytes)
        return {};
    const uint32_t reserved = Little16(data), type = Little16(data + 2), count = Little16(data + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0)
        return {};
    const uint8_t* entry = data + kHeaderBytes;
    const uint64_t length = Little32(entry + 8), offset = Little32(entry + 12);
    if (offset >= size)
        return {};
    const size_t available = static_cast<size_t>(std::min<uint64_t>(length, size - offset));
    if (!png::HasPngSignature(data + offset, available))
        return {};
    return EmbeddedPng{data + offset, available};
}

} // namespace imaging
