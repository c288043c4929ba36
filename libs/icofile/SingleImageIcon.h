#pragma once
// One-image icon files built in memory, for pictures of any shape (a
// 256 x 128 picture gives an entry 256 wide and 128 high): the way a single
// picture, or an icon image taken from elsewhere, is saved as an .ico.

#include "libs/icofile/IconFile.h"

#include <cstdint>
#include <vector>

namespace icofile {

// Largest width and height a directory entry can state (256 is stored as 0).
inline constexpr int32_t kMaxSingleImageEdge = 256;

// The whole file for one 32-bit image with its mask, each edge from 1 to
// kMaxSingleImageEdge. On failure (bitmaps that fail ValidateBitmapPair or
// are too large) `out` is left empty.
IconResult EncodeSingleImageIcon(const ColourBitmap& colour, const MaskBitmap& mask, std::vector<uint8_t>& out);

// The whole file around stored image bytes, written unchanged. On failure
// (empty data, an edge outside 1 to kMaxSingleImageEdge) `out` is left empty.
IconResult EncodeStoredImageIcon(const StoredImage& image, std::vector<uint8_t>& out);

} // namespace icofile
