#include "libs/imaging/Imaging.h"

namespace imaging {

// Kept apart from the bitmap making so that this file alone needs the writer.
icofile::IconResult AddIconImage(icofile::IconFile& file, uint32_t index, SourcePicture& source, int32_t size,
                                 int32_t bitsPerPixel) {
    if (size <= 0 || size > icofile::kMaxEdgeLength)
        return icofile::IconError::kBadEdgeLength;
    if (!IsIconDepth(bitsPerPixel))
        return icofile::IconError::kBadDepth;
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
    if (!MakeIconBitmaps(source, size, bitsPerPixel, colour, mask))
        return icofile::IconError::kOutOfMemory;  // the only failure left
    return icofile::WriteIconImage(file, {index, colour, mask, ColourCountForDepth(bitsPerPixel)});
}

} // namespace imaging
