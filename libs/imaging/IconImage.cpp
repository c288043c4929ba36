#include "libs/imaging/Imaging.h"

namespace imaging {

// Kept apart from the bitmap making so that this file alone needs the writer.
bool AddIconImage(icofile::IconFile* file, uint32_t index, SourcePicture& source, int32_t size,
                  int32_t bitsPerPixel) {
    if (file == nullptr)
        return false;
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
    if (!MakeIconBitmaps(source, size, bitsPerPixel, &colour, &mask))
        return false;
    const icofile::IconImage image{index, &colour, &mask, ColourCountForDepth(bitsPerPixel)};
    return icofile::WriteIconImage(file, &image);
}

} // namespace imaging
