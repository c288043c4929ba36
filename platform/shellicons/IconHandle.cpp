#include "platform/shellicons/IconHandle.h"

#include "libs/icofile/IconFile.h"
#include "platform/imagelist/ImageBitmaps.h"


namespace platform {
namespace {

std::vector<uint8_t> Dib32(const QImage& image) {
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
    if (!platform::BitmapsFromImage(image, colour, mask))
        return {};
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
