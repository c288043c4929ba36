#include "platform/imagelist/ImageBitmaps.h"

#include <cstring>

namespace platform {

bool BitmapsFromImage(const QImage& picture, icofile::ColourBitmap& colour, icofile::MaskBitmap& mask) {
    if (picture.isNull())
        return false;
    const QImage image =
        picture.format() == QImage::Format_ARGB32 ? picture : picture.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const auto rowBytes = static_cast<size_t>(width) * 4;
    colour.width = mask.width = width;
    colour.height = mask.height = height;
    colour.bgra.resize(rowBytes * static_cast<size_t>(height));
    mask.transparent.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        // ARGB32 words are blue, green, red, alpha bytes in memory on little-endian machines.
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::memcpy(colour.bgra.data() + rowBytes * static_cast<size_t>(y), row, rowBytes);
        uint8_t* clear = mask.transparent.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x)
            clear[x] = qAlpha(row[x]) == 0 ? 1 : 0;
    }
    return true;
}

} // namespace platform
