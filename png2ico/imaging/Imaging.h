#pragma once
// Picture loading and icon image making: a picture is decoded once, then for
// each size spec stretched to size x size with the bicubic resampler, its
// 1-bit mask derived from alpha, and the pair appended to an icon file.

#include "png2ico/icofile/IconFile.h"
#include "png2ico/imaging/SizeSpec.h"

#include <cstdint>
#include <memory>
#include <string>

namespace imaging {

// Pictures larger than this many pixels are refused before decoding
// (a decompression bomb is a load failure, not an out-of-memory crash).
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;  // 64 Mpx, e.g. 8192 x 8192

class SourcePicture;  // a decoded picture, with what all its sizes share

// Decodes the file, the format decided by its content. Null on failure.
std::unique_ptr<SourcePicture> LoadPicture(const std::string& path);
// The same from bytes in memory.
std::unique_ptr<SourcePicture> LoadPictureFromMemory(const uint8_t* data, size_t size);

// Colour count stored for a depth: 4 -> 16, 8 -> 256, 16 -> 65536,
// 24 -> 16777216, 32 -> 0.
uint32_t ColourCountForDepth(int32_t bitsPerPixel);

// The colour bitmap (size x size, stretched) and its mask for one spec.
// False when the size is out of range or memory cannot be had.
[[nodiscard]] bool MakeIconBitmaps(SourcePicture& source, int32_t size, int32_t bitsPerPixel,
                                   icofile::ColourBitmap* colour, icofile::MaskBitmap* mask);

// Makes the bitmaps for one spec and appends them as entry `index`.
[[nodiscard]] bool AddIconImage(icofile::IconFile* file, uint32_t index, SourcePicture& source, int32_t size,
                                int32_t bitsPerPixel);

} // namespace imaging
