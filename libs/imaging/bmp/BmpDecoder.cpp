#include "libs/imaging/bmp/BmpDecoder.h"

#include "libs/imaging/bmp/BmpPixelFormat.h"

#include <new>

namespace imaging::bmp {

namespace {

uint8_t* RowOf(const BmpTarget& target, int32_t y) { return target.bgra + static_cast<ptrdiff_t>(y) * target.stride; }

void FillOpaqueBlack(const BmpHeader& header, const BmpTarget& target) {
    for (int32_t y = 0; y < header.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(RowOf(target, y));
        for (int32_t x = 0; x < header.width; ++x)
            row[x] = kOpaqueBlack;
    }
}

void DecodeRows(const uint8_t* data, const BmpHeader& header, const BmpPixelFormat& format,
                const BmpTarget& target) {
    const uint8_t* stored = data + header.dataOffset;
    const auto rowBytes = static_cast<size_t>(header.rowBytes());
    for (int32_t i = 0; i < header.height; ++i, stored += rowBytes) {
        const int32_t y = header.topDown ? i : header.height - 1 - i;
        format.ConvertRow(stored, RowOf(target, y));
    }
}

// A picture whose alpha field is 0 everywhere was not meant to be invisible:
// most writers leave the field unset.
void OpaqueIfNoAlpha(const BmpHeader& header, const BmpTarget& target) {
    for (int32_t y = 0; y < header.height; ++y) {
        const uint8_t* row = RowOf(target, y);
        for (int32_t x = 0; x < header.width; ++x)
            if (row[4 * x + 3] != 0)
                return;
    }
    for (int32_t y = 0; y < header.height; ++y) {
        uint8_t* row = RowOf(target, y);
        for (int32_t x = 0; x < header.width; ++x)
            row[4 * x + 3] = 255;
    }
}

} // namespace

BmpError DecodeImage(const uint8_t* data, size_t size, const BmpHeader& header, const BmpTarget& target) {
    if (target.bgra == nullptr || target.stride < ptrdiff_t{4} * header.width)
        return BmpError::kBadTarget;
    if (const BmpError e = header.CheckFileSize(size); e != BmpError::kOk)
        return e;
    try {
        const BmpPixelFormat format(header, data);
        if (header.compressed()) {
            FillOpaqueBlack(header, target);
            return DecodeRle(data + header.dataOffset, size - header.dataOffset, header, format, target);
        }
        DecodeRows(data, header, format, target);
        if (format.hasAlpha())
            OpaqueIfNoAlpha(header, target);
        return BmpError::kOk;
    } catch (const std::bad_alloc&) {
        return BmpError::kNoMemory;
    }
}

BmpError DecodeBmp(const uint8_t* data, size_t size, int64_t maxPixels, std::vector<uint8_t>* bgra,
                   BmpHeader* header) {
    BmpHeader h;
    if (const BmpError e = ReadBmpHeader(data, size, maxPixels, &h); e != BmpError::kOk)
        return e;
    if (const BmpError e = h.CheckFileSize(size); e != BmpError::kOk)
        return e;
    try {
        bgra->resize(static_cast<size_t>(h.width) * static_cast<size_t>(h.height) * 4);
    } catch (const std::bad_alloc&) {
        return BmpError::kNoMemory;
    }
    *header = h;
    return DecodeImage(data, size, h, BmpTarget{bgra->data(), ptrdiff_t{4} * h.width});
}

} // namespace imaging::bmp
