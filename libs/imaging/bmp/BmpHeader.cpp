#include "libs/imaging/bmp/BmpHeader.h"

#include <algorithm>
#include <bit>

namespace imaging::bmp {

namespace {

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kInfoHeader = 40;

// Every read of the header goes through here: offsets are checked against
// the bytes there are, in 64 bits.
class HeaderBytes {
public:
    HeaderBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool has(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
    uint16_t u16(size_t at) const { return static_cast<uint16_t>(data_[at] | data_[at + 1] << 8); }
    uint32_t u32(size_t at) const {
        return uint32_t{data_[at]} | uint32_t{data_[at + 1]} << 8 | uint32_t{data_[at + 2]} << 16 |
               uint32_t{data_[at + 3]} << 24;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

bool KnownInfoHeaderSize(uint32_t size) {
    return size == kCoreHeader || size == kInfoHeader || size == 52 || size == 56 || size == 108 || size == 124;
}

BmpError CheckBitCount(uint16_t bitCount, uint32_t compression, bool core) {
    switch (compression) {
    case kRgb:
        if (bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 24)
            return BmpError::kOk;
        return (bitCount == 16 || bitCount == 32) && !core ? BmpError::kOk : BmpError::kBadBitCount;
    case kRle8: return bitCount == 8 ? BmpError::kOk : BmpError::kBadBitCount;
    case kRle4: return bitCount == 4 ? BmpError::kOk : BmpError::kBadBitCount;
    case kBitFields:
    case kAlphaBitFields: return bitCount == 16 || bitCount == 32 ? BmpError::kOk : BmpError::kBadBitCount;
    default: return BmpError::kBadCompression;
    }
}

bool Contiguous(uint32_t mask) {
    return mask == 0 || std::has_single_bit((mask >> std::countr_zero(mask)) + 1ull);
}

// Each field one run of bits inside the pixel, none sharing a bit.
bool ValidMasks(const BmpMasks& m, uint16_t bitCount) {
    const uint32_t all[] = {m.red, m.green, m.blue, m.alpha};
    uint32_t seen = 0;
    for (const uint32_t mask : all) {
        if (!Contiguous(mask) || (mask & seen) != 0)
            return false;
        seen |= mask;
    }
    return bitCount == 32 || seen <= 0xFFFF;
}

BmpMasks DefaultMasks(uint16_t bitCount) {
    // The fourth byte of a 32-bit BI_RGB pixel is not alpha to Windows' loader.
    if (bitCount == 16)
        return {0x7C00, 0x03E0, 0x001F, 0};
    return {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
}

// The bit fields of a bit-field picture: in the header from 52 bytes on,
// after a 40-byte header otherwise. Sets the palette offset past them.
BmpError ReadMasks(const HeaderBytes& in, uint32_t infoSize, BmpHeader* h) {
    h->paletteOffset = static_cast<uint32_t>(kBmpFileHeaderBytes) + infoSize;
    h->masks = DefaultMasks(h->bitCount);
    if (h->compression != kBitFields && h->compression != kAlphaBitFields)
        return BmpError::kOk;
    uint32_t at = static_cast<uint32_t>(kBmpFileHeaderBytes) + kInfoHeader;
    int count = infoSize >= 56 ? 4 : 3;
    if (infoSize == kInfoHeader) {
        count = h->compression == kAlphaBitFields ? 4 : 3;
        h->paletteOffset += static_cast<uint32_t>(4 * count);
    }
    if (!in.has(at, uint64_t{4} * count))
        return BmpError::kTruncated;
    h->masks = {in.u32(at), in.u32(at + 4), in.u32(at + 8), count == 4 ? in.u32(at + 12) : 0};
    return ValidMasks(h->masks, h->bitCount) ? BmpError::kOk : BmpError::kBadMasks;
}

BmpError ReadDimensions(const HeaderBytes& in, uint32_t infoSize, BmpHeader* h) {
    constexpr size_t at = kBmpFileHeaderBytes + 4;
    int64_t width = 0, height = 0;
    if (infoSize == kCoreHeader) {
        width = in.u16(at);
        height = in.u16(at + 2);
    } else {
        width = static_cast<int32_t>(in.u32(at));
        height = static_cast<int32_t>(in.u32(at + 4));
    }
    h->topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width < 1 || height < 1 || height > INT32_MAX)
        return BmpError::kBadDimensions;
    h->width = static_cast<int32_t>(width);
    h->height = static_cast<int32_t>(height);
    return BmpError::kOk;
}

void ReadPaletteSize(const HeaderBytes& in, uint32_t infoSize, BmpHeader* h) {
    if (h->bitCount > 8)
        return;
    const uint32_t full = 1u << h->bitCount;
    // Windows sizes the table from the colours-used count, at most 256
    // entries; 0 means the full table.
    const uint32_t used = infoSize >= kInfoHeader ? in.u32(kBmpFileHeaderBytes + 32) : 0;
    h->paletteEntries = used == 0 ? full : std::min<uint32_t>(used, 256);
    h->paletteEntrySize = infoSize == kCoreHeader ? 3 : 4;
}

} // namespace

bool HasBmpSignature(const uint8_t* data, size_t size) {
    return data != nullptr && size >= 2 && data[0] == 'B' && data[1] == 'M';
}

uint64_t BmpHeader::minimumFileSize() const {
    const uint64_t paletteEnd = uint64_t{paletteOffset} + uint64_t{paletteEntries} * paletteEntrySize;
    uint64_t dataEnd = uint64_t{dataOffset} + 1;
    if (!compressed())
        dataEnd = dataOffset + rowBytes() * (static_cast<uint64_t>(height) - 1) +
                  (uint64_t{static_cast<uint32_t>(width)} * bitCount + 7) / 8;
    return std::max(paletteEnd, dataEnd);
}

BmpError BmpHeader::CheckFileSize(uint64_t fileSize) const {
    if (uint64_t{paletteOffset} + uint64_t{paletteEntries} * paletteEntrySize > fileSize)
        return BmpError::kTruncated;
    if (dataOffset > fileSize)
        return BmpError::kBadOffset;
    return minimumFileSize() > fileSize ? BmpError::kTruncated : BmpError::kOk;
}

BmpError ReadBmpHeader(const uint8_t* data, size_t size, int64_t maxPixels, BmpHeader* header) {
    if (!HasBmpSignature(data, size))
        return BmpError::kNotBmp;
    const HeaderBytes in(data, size);
    if (!in.has(0, kBmpFileHeaderBytes + 4))
        return BmpError::kTruncated;
    const uint32_t infoSize = in.u32(kBmpFileHeaderBytes);
    if (!KnownInfoHeaderSize(infoSize))
        return BmpError::kBadHeader;
    if (!in.has(kBmpFileHeaderBytes, infoSize))
        return BmpError::kTruncated;
    BmpHeader h;
    h.dataOffset = in.u32(10);
    const bool core = infoSize == kCoreHeader;
    const size_t planesAt = kBmpFileHeaderBytes + (core ? 8 : 12);
    if (in.u16(planesAt) != 1)
        return BmpError::kBadHeader;
    h.bitCount = in.u16(planesAt + 2);
    h.compression = core ? kRgb : in.u32(kBmpFileHeaderBytes + 16);
    if (const BmpError e = CheckBitCount(h.bitCount, h.compression, core); e != BmpError::kOk)
        return e;
    if (const BmpError e = ReadDimensions(in, infoSize, &h); e != BmpError::kOk)
        return e;
    // Windows draws no compressed picture top-down.
    if (h.topDown && h.compressed())
        return BmpError::kBadDimensions;
    if (const BmpError e = ReadMasks(in, infoSize, &h); e != BmpError::kOk)
        return e;
    // Pixel rows that would start inside the headers or bit fields.
    if (h.dataOffset < h.paletteOffset)
        return BmpError::kBadOffset;
    if (int64_t{h.width} * h.height > maxPixels)
        return BmpError::kTooLarge;
    ReadPaletteSize(in, infoSize, &h);
    *header = h;
    return BmpError::kOk;
}

uint8_t WidenField(uint32_t value, int bits) {
    if (bits <= 0)
        return 0;
    if (bits >= 8)
        return static_cast<uint8_t>(value >> (bits - 8));
    // Repeat the field's bits from the top down until all eight are filled.
    uint32_t out = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits)
        out |= shift >= 0 ? value << shift : value >> -shift;
    return static_cast<uint8_t>(out);
}

} // namespace imaging::bmp
