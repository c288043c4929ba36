#include "platform/shellicons/IconHandle.h"

#include "png2ico/icofile/IconFile.h"

#include <cstring>

namespace platform {
namespace {

std::vector<uint8_t> Dib32(const QImage& image) {
    icofile::ColourBitmap colour;
    colour.width = image.width();
    colour.height = image.height();
    icofile::MaskBitmap mask;
    mask.width = image.width();
    mask.height = image.height();
    const auto rowBytes = static_cast<size_t>(image.width()) * 4;
    colour.bgra.resize(rowBytes * static_cast<size_t>(image.height()));
    mask.transparent.reserve(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::memcpy(colour.bgra.data() + rowBytes * static_cast<size_t>(y), row, rowBytes);
        for (int x = 0; x < image.width(); ++x)
            mask.transparent.push_back(qAlpha(row[x]) == 0 ? 1 : 0);
    }
    return icofile::EncodeImageData(colour, mask, icofile::kColours32Bit);
}

} // namespace

IconHandle MakeIconHandle(const QImage& picture, std::vector<uint8_t> storedDib) {
    if (picture.isNull() || picture.width() != kStandardIconSize || picture.height() != kStandardIconSize)
        return {};
    IconHandle icon{picture.convertToFormat(QImage::Format_ARGB32), std::move(storedDib)};
    if (icon.dib.empty())
        icon.dib = Dib32(icon.image);
    if (icon.dib.empty())
        return {};
    return icon;
}

} // namespace platform
