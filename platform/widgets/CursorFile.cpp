#include "CursorFile.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

#include <cstdint>

namespace platform {

namespace {

constexpr qsizetype kDirectoryBytes = 6;
constexpr qsizetype kEntryBytes = 16;
constexpr uint16_t kCursorType = 2;

// Little-endian 16-bit value at `offset`; the caller has checked the bounds.
uint16_t ReadU16(const QByteArray& bytes, qsizetype offset) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                                 (static_cast<uint8_t>(bytes[offset + 1]) << 8));
}

} // namespace

std::optional<QCursor> CursorFromBytes(const QByteArray& bytes) {
    if (bytes.size() < kDirectoryBytes + kEntryBytes || bytes.size() > kMaxCursorFileBytes)
        return std::nullopt;
    if (ReadU16(bytes, 0) != 0 || ReadU16(bytes, 2) != kCursorType || ReadU16(bytes, 4) == 0)
        return std::nullopt;
    // In a cursor's first directory entry the planes and bit-count fields hold
    // the hot spot.
    const int hotX = ReadU16(bytes, kDirectoryBytes + 4);
    const int hotY = ReadU16(bytes, kDirectoryBytes + 6);
    const QImage image = QImage::fromData(bytes, "CUR");
    if (image.isNull() || hotX >= image.width() || hotY >= image.height())
        return std::nullopt;
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

std::optional<QCursor> LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCursorFileBytes)
        return std::nullopt;
    return CursorFromBytes(file.readAll());
}

} // namespace platform
