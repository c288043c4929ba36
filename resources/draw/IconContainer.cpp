#include "IconContainer.h"

#include <cstdint>

namespace artwork {

namespace {

constexpr uint16_t kIconType = 1;
constexpr uint16_t kCursorType = 2;
constexpr uint32_t kDirectoryBytes = 6;
constexpr uint32_t kEntryBytes = 16;
constexpr uint32_t kInfoHeaderBytes = 40;

void PutU16(QByteArray& out, uint32_t v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(QByteArray& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

uint32_t MaskRowBytes(int width) { return ((static_cast<uint32_t>(width) + 31) / 32) * 4; }

// Header, colour rows and mask rows, both bottom-up.
QByteArray Bitmap(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const auto w = static_cast<uint32_t>(image.width());
    const auto h = static_cast<uint32_t>(image.height());
    const uint32_t maskRow = MaskRowBytes(image.width());
    QByteArray out;
    PutU32(out, kInfoHeaderBytes);
    PutU32(out, w);
    PutU32(out, h * 2);  // colour and mask together
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, 0);
    PutU32(out, w * h * 4 + maskRow * h);
    for (int i = 0; i < 4; ++i)
        PutU32(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            out.append(static_cast<char>(qBlue(row[x])));
            out.append(static_cast<char>(qGreen(row[x])));
            out.append(static_cast<char>(qRed(row[x])));
            out.append(static_cast<char>(qAlpha(row[x])));
        }
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray bits(static_cast<qsizetype>(maskRow), '\0');
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) == 0)
                bits[x / 8] = static_cast<char>(bits[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(bits);
    }
    return out;
}

QByteArray Container(uint16_t type, const std::vector<QImage>& images, QPoint hotSpot) {
    QByteArray out;
    PutU16(out, 0);
    PutU16(out, type);
    PutU16(out, static_cast<uint32_t>(images.size()));
    std::vector<QByteArray> bitmaps;
    uint32_t offset = kDirectoryBytes + kEntryBytes * static_cast<uint32_t>(images.size());
    for (const QImage& image : images) {
        bitmaps.push_back(Bitmap(image));
        out.append(static_cast<char>(image.width() >= 256 ? 0 : image.width()));
        out.append(static_cast<char>(image.height() >= 256 ? 0 : image.height()));
        out.append('\0');  // no palette
        out.append('\0');
        if (type == kCursorType) {
            PutU16(out, static_cast<uint32_t>(hotSpot.x()));
            PutU16(out, static_cast<uint32_t>(hotSpot.y()));
        } else {
            PutU16(out, 1);
            PutU16(out, 32);
        }
        PutU32(out, static_cast<uint32_t>(bitmaps.back().size()));
        PutU32(out, offset);
        offset += static_cast<uint32_t>(bitmaps.back().size());
    }
    for (const QByteArray& bitmap : bitmaps)
        out.append(bitmap);
    return out;
}

} // namespace

QByteArray IconFileBytes(const std::vector<QImage>& images) {
    return Container(kIconType, images, QPoint());
}

QByteArray CursorFileBytes(const QImage& image, QPoint hotSpot) {
    return Container(kCursorType, {image}, hotSpot);
}

} // namespace artwork
