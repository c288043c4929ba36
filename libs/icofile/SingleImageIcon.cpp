#include "libs/icofile/SingleImageIcon.h"

namespace icofile {
namespace {

bool EdgeFits(int32_t edge) {
    return edge >= 1 && edge <= kMaxSingleImageEdge;
}

IconResult Fail(std::vector<uint8_t>& out, IconError error) {
    out.clear();
    return error;
}

} // namespace

IconResult EncodeSingleImageIcon(const ColourBitmap& colour, const MaskBitmap& mask, std::vector<uint8_t>& out) {
    if (const IconError error = ValidateBitmapPair(colour, mask); error != IconError::kNone)
        return Fail(out, error);
    if (!EdgeFits(colour.width) || !EdgeFits(colour.height))
        return Fail(out, IconError::kBadEdgeLength);
    const std::vector<uint8_t> data = EncodeBitmapPair(colour, mask, kColours32Bit);
    const BitmapInfoHeader header = PrepareImageHeader(colour, kColours32Bit);
    StoredImage image;
    image.width = colour.width;
    image.height = colour.height;
    image.bitCount = header.biBitCount;
    image.data = data;
    return EncodeStoredImageIcon(image, out);
}

IconResult EncodeStoredImageIcon(const StoredImage& image, std::vector<uint8_t>& out) {
    if (image.data.empty())
        return Fail(out, IconError::kNoImageData);
    if (!EdgeFits(image.width) || !EdgeFits(image.height))
        return Fail(out, IconError::kBadEdgeLength);
    IconFile file;
    file.imageCount = 1;
    if (const IconResult created = CreateIconBuffer(file, out); !created)
        return Fail(out, created.error());
    const IconResult written = WriteStoredImage(file, 0, image);
    const IconResult closed = CloseIconFile(file);
    if (!written || !closed)
        return Fail(out, !written ? written.error() : closed.error());
    return {};
}

} // namespace icofile
