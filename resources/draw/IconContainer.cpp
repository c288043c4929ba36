#include "IconContainer.h"

#include "libs/icofile/IconFile.h"
#include "platform/imagelist/ImageBitmaps.h"

#include <cstdint>

namespace artwork {

namespace {

constexpr uint16_t kCursorType = 2;

} // namespace

QByteArray IconFileBytes(const std::vector<QImage>& images) {
    std::vector<uint8_t> bytes;
    icofile::IconFile file;
    file.imageCount = static_cast<uint32_t>(images.size());
    bool ok = static_cast<bool>(icofile::CreateIconBuffer(file, bytes));
    for (size_t i = 0; ok && i < images.size(); ++i) {
        icofile::ColourBitmap colour;
        icofile::MaskBitmap mask;
        ok = platform::BitmapsFromImage(images[i], colour, mask) &&
             icofile::WriteIconImage(file, {static_cast<uint32_t>(i), colour, mask, icofile::kColours32Bit});
    }
    ok = icofile::CloseIconFile(file) && ok;
    return ok ? QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
              : QByteArray();
}

QByteArray CursorFileBytes(const QImage& image, QPoint hotSpot) {
    // A cursor file is an icon file of type 2 whose entry holds the hot spot
    // where an icon's holds planes and bit count.
    QByteArray bytes = IconFileBytes({image});
    if (bytes.size() < 22)
        return {};
    const auto put16 = [&bytes](int at, int value) {
        bytes[at] = static_cast<char>(value & 0xFF);
        bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    };
    put16(2, kCursorType);
    put16(6 + 4, hotSpot.x());
    put16(6 + 6, hotSpot.y());
    return bytes;
}

} // namespace artwork
