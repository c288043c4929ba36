#include "libs/icofile/SingleImageIcon.h"

namespace icofile {
namespace {

bool EdgeFits(int32_t edge) {
    return edge >= 1 && edge <= kMaxSingleImageEdge;
}

bool Fail(std::vector<uint8_t>* out) {
    if (out)
        out->clear();
    return false;
}

} // namespace

bool EncodeSingleImageIcon(const ColourBitmap& colour, const MaskBitmap& mask, std::vector<uint8_t>* out) {
    if (!out || ValidateBitmapPair(&colour, &mask) != IconError::kNone || !EdgeFits(colour.width) ||
        !EdgeFits(colour.height))
        return Fail(out);
    const std::vector<uint8_t> data = EncodeBitmapPair(colour, mask, kColours32Bit);
    const BitmapInfoHeader header = PrepareImageHeader(colour, kColours32Bit);
    StoredImage image;
    image.width = colour.width;
    image.height = colour.height;
    image.bitCount = header.biBitCount;
    image.data = data;
    return EncodeStoredImageIcon(image, out);
}

bool EncodeStoredImageIcon(const StoredImage& image, std::vector<uint8_t>* out) {
    if (!out || image.data.empty() || !EdgeFits(image.width) || !EdgeFits(image.height))
        return Fail(out);
    IconFile file;
    file.imageCount = 1;
    if (!CreateIconBuffer(&file, out))
        return Fail(out);
    const bool written = WriteStoredImage(&file, 0, image);
    if (!CloseIconFile(&file) || !written)
        return Fail(out);
    return true;
}

} // namespace icofile
