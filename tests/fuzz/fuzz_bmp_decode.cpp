// Fuzz target: our BMP decoder alone, differential against Qt's BMP reader.
//
// Checked:
//   - the header check on the first bytes agrees with the whole decode: a
//     file the decoder takes passes the check with the same dimensions and
//     file size; a file that passes it is decoded, or refused only for RLE
//     codes that run out;
//   - where both decode, the pixels equal Qt's for the kinds whose colours
//     both define the same way: uncompressed 1-, 4-, 8- and 24-bit pictures
//     with a 40-byte header, a full colour table and the rows after it.
//     Known differences elsewhere, not compared:
//       16-bit and bit-field pictures: Qt widens an n-bit field by scaling
//         (5 bits: c * 8), ours repeats the high bits as Windows does;
//       RLE: Qt gives the pixels the codes never reach colour 0 of the
//         table, ours opaque black; Qt wraps runs past the row's end;
//       short colour tables: Qt's colour for an index beyond the table;
//       32 bits: Qt reads alpha where ours, as Windows, does not;
//       rows that start inside the colour table: Qt reads them after it;
//       core headers: Qt reads other bit counts;
//       a last row without its padding: Qt leaves that row unread;
//     and acceptance is not compared: Qt decodes files cut short (leaving
//     rows unwritten) and ours refuses them.

#include "libs/imaging/bmp/BmpDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using imaging::bmp::BmpError;
using imaging::bmp::BmpHeader;

// Small enough that every input is decoded in moments, twice.
constexpr int64_t kFuzzMaxPixels = int64_t{1} << 16;

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void CheckHeaderAgrees(const uint8_t* data, size_t size, BmpError error, const BmpHeader& decoded) {
    BmpHeader probed;
    const size_t first = std::min(size, imaging::bmp::kBmpHeaderProbeBytes);
    const BmpError headerError = imaging::bmp::ReadBmpHeader(data, first, kFuzzMaxPixels, &probed);
    const bool passes = headerError == BmpError::kOk && probed.CheckFileSize(size) == BmpError::kOk;
    if (error == BmpError::kOk) {
        Check(passes && probed.width == decoded.width && probed.height == decoded.height);
        return;
    }
    if (passes)
        Check(error == BmpError::kBadRle && probed.compressed());
}

bool Comparable(const uint8_t* data, size_t size, const BmpHeader& h) {
    if (size < 54 || Le32(data + 14) != 40 || h.compression != imaging::bmp::kRgb ||
        size < h.dataOffset + h.rowBytes() * static_cast<uint64_t>(h.height))
        return false;
    if (h.bitCount == 24)
        return true;
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8)
        return false;
    return h.paletteEntries == (1u << h.bitCount) &&
           h.dataOffset >= uint64_t{h.paletteOffset} + uint64_t{h.paletteEntries} * h.paletteEntrySize;
}

void CompareWithQt(const uint8_t* data, size_t size, const std::vector<uint8_t>& ours, const BmpHeader& h) {
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!buffer.open(QIODevice::ReadOnly))
        return;
    QImageReader reader(&buffer, "bmp");
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return;
    image.convertTo(QImage::Format_ARGB32);
    Check(image.width() == h.width && image.height() == h.height);
    for (int y = 0; y < h.height; ++y)
        Check(std::memcmp(image.constScanLine(y), ours.data() + size_t{4} * h.width * y, size_t{4} * h.width) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 2)
        return 0;
    std::vector<uint8_t> bgra;
    BmpHeader header;
    const BmpError error = imaging::bmp::DecodeBmp(data, size, kFuzzMaxPixels, &bgra, &header);
    CheckHeaderAgrees(data, size, error, header);
    if (error == BmpError::kOk) {
        Check(bgra.size() == size_t{4} * header.width * header.height);
        // The same bytes give the same pixels.
        std::vector<uint8_t> again;
        BmpHeader same;
        Check(imaging::bmp::DecodeBmp(data, size, kFuzzMaxPixels, &again, &same) == BmpError::kOk && again == bgra);
        if (Comparable(data, size, header))
            CompareWithQt(data, size, bgra, header);
    }
    return 0;
}
