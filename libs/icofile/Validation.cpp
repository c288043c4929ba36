#include "libs/icofile/IconFile.h"

namespace icofile {

const char* IconErrorText(IconError error) {
    switch (error) {
    case IconError::kNone: return "no error";
    case IconError::kAlreadyOpen: return "the icon file is already open";
    case IconError::kTooManyImages: return "more images than an icon directory can hold";
    case IconError::kCannotCreate: return "the icon file cannot be created";
    case IconError::kWriteFailed: return "the icon file could not be written completely";
    case IconError::kNotOpen: return "the icon file is not open";
    case IconError::kBadIndex: return "image index outside the icon's directory";
    case IconError::kSizeMismatch: return "colour and mask bitmaps differ in size";
    case IconError::kNotSquare: return "the image is not square";
    case IconError::kBadEdgeLength: return "edge length out of range";
    case IconError::kBadPixelData: return "pixel data does not match the bitmap size";
    case IconError::kNoImageData: return "the stored image has no bytes";
    case IconError::kFileTooLarge: return "the icon file would grow past 4 GiB";
    case IconError::kBadDepth: return "bits per pixel other than 4, 8, 16, 24 or 32";
    case IconError::kOutOfMemory: return "not enough memory for the image";
    }
    return "unknown error";
}

IconError ValidateIconBitmaps(const ColourBitmap& colour, const MaskBitmap& mask) {
    const IconError pair = ValidateBitmapPair(colour, mask);
    if (pair != IconError::kSizeMismatch && colour.width != colour.height)
        return IconError::kNotSquare;
    return pair;
}

IconError ValidateBitmapPair(const ColourBitmap& colour, const MaskBitmap& mask) {
    if (colour.width != mask.width || colour.height != mask.height)
        return IconError::kSizeMismatch;
    if (colour.width <= 0 || colour.width > kMaxEdgeLength || colour.height <= 0 || colour.height > kMaxEdgeLength)
        return IconError::kBadEdgeLength;
    // The edges are limited above, so the pixel count cannot overflow.
    const size_t pixels = static_cast<size_t>(colour.width) * static_cast<size_t>(colour.height);
    if (colour.bgra.size() != pixels * 4 || mask.transparent.size() != pixels)
        return IconError::kBadPixelData;
    return IconError::kNone;
}

IconError ValidateIconWrite(const IconFile& file, const IconImage& image) {
    if (!file.handle)
        return IconError::kNotOpen;
    if (image.index >= file.imageCount)
        return IconError::kBadIndex;
    return ValidateIconBitmaps(image.colour, image.mask);
}

} // namespace icofile
