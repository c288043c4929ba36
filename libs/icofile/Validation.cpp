#include "libs/icofile/IconFile.h"

namespace icofile {

const char* IconErrorText(IconError error) {
    switch (error) {
    case IconError::kNone: return "no error";
    case IconError::kNoFile: return "no icon file given";
    case IconError::kNotOpen: return "the icon file is not open";
    case IconError::kNoImage: return "no icon image given";
    case IconError::kBadIndex: return "image index outside the icon's directory";
    case IconError::kNoColourBitmap: return "the image has no colour bitmap";
    case IconError::kNoMaskBitmap: return "the image has no mask bitmap";
    case IconError::kSizeMismatch: return "colour and mask bitmaps differ in size";
    case IconError::kNotSquare: return "the image is not square";
    case IconError::kBadEdgeLength: return "edge length out of range";
    case IconError::kBadPixelData: return "pixel data does not match the bitmap size";
    case IconError::kFileTooLarge: return "the icon file would grow past 4 GiB";
    }
    return "unknown error";
}

IconError ValidateIconBitmaps(const ColourBitmap* colour, const MaskBitmap* mask) {
    const IconError pair = ValidateBitmapPair(colour, mask);
    const bool sized = pair != IconError::kNoColourBitmap && pair != IconError::kNoMaskBitmap &&
                       pair != IconError::kSizeMismatch;
    if (sized && colour->width != colour->height)
        return IconError::kNotSquare;
    return pair;
}

IconError ValidateBitmapPair(const ColourBitmap* colour, const MaskBitmap* mask) {
    if (!colour)
        return IconError::kNoColourBitmap;
    if (!mask)
        return IconError::kNoMaskBitmap;
    if (colour->width != mask->width || colour->height != mask->height)
        return IconError::kSizeMismatch;
    if (colour->width <= 0 || colour->width > kMaxEdgeLength || colour->height <= 0 ||
        colour->height > kMaxEdgeLength)
        return IconError::kBadEdgeLength;
    // The edges are limited above, so the pixel count cannot overflow.
    const size_t pixels = static_cast<size_t>(colour->width) * static_cast<size_t>(colour->height);
    if (colour->bgra.size() != pixels * 4 || mask->transparent.size() != pixels)
        return IconError::kBadPixelData;
    return IconError::kNone;
}

IconError ValidateIconImage(const IconImage* image) {
    if (!image)
        return IconError::kNoImage;
    return ValidateIconBitmaps(image->colour, image->mask);
}

IconError ValidateIconWrite(const IconFile* file, const IconImage* image) {
    if (!file)
        return IconError::kNoFile;
    if (!file->handle)
        return IconError::kNotOpen;
    if (!image)
        return IconError::kNoImage;
    if (image->index >= file->imageCount)
        return IconError::kBadIndex;
    return ValidateIconImage(image);
}

} // namespace icofile
