#pragma once
// Picture loading and icon image making: a picture is decoded once, then for
// each size spec stretched to size x size with the bicubic resampler, its
// 1-bit mask derived from alpha, and the pair appended to an icon file.

#include "libs/icofile/IconFile.h"
#include "libs/imaging/IconSize.h"
#include "libs/imaging/PictureFile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace imaging {

// Pictures larger than this many pixels are refused before decoding
// (a decompression bomb is a load failure, not an out-of-memory crash).
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;  // 64 Mpx, e.g. 8192 x 8192

class SourcePicture;  // a decoded picture, with what all its sizes share

// Decodes the file, the format decided by its content (any name or
// extension): PNG and BMP by our own decoders, the others by the general
// reader (Qt's image readers, loaded on first use; see GeneralReader.h),
// to 32-bit straight alpha. Null when it is not a regular file (never waiting on a pipe
// or device), is larger than kMaxPictureFileBytes, cannot be read or decoded,
// or has more than kMaxPicturePixels pixels.
std::unique_ptr<SourcePicture> LoadPicture(const std::string& path);
// The same from bytes in memory.
std::unique_ptr<SourcePicture> LoadPictureFromMemory(const uint8_t* data, size_t size);
// The same with a lower pixel limit (at most kMaxPicturePixels), for callers
// such as a fuzzer that want to stay small.
std::unique_ptr<SourcePicture> LoadPictureFromMemory(const uint8_t* data, size_t size, int64_t maxPixels);

// True for the depths an icon image can be stored in: 4, 8, 16, 24, 32.
bool IsIconDepth(int32_t bitsPerPixel);

// Colour count stored for a depth: 4 -> 16, 8 -> 256, 16 -> 65536,
// 24 -> 16777216, 32 -> 0 (and 0 for any other value).
uint32_t ColourCountForDepth(int32_t bitsPerPixel);

// The colour bitmap (size x size, stretched) and its mask for one size.
// False when the size is out of range (below 1 or above
// icofile::kMaxEdgeLength), the depth is not an icon depth, or memory cannot
// be had. Pixels that come out fully transparent are all zero.
[[nodiscard]] bool MakeIconBitmaps(SourcePicture& source, int32_t size, int32_t bitsPerPixel,
                                   icofile::ColourBitmap& colour, icofile::MaskBitmap& mask);

// Makes the bitmaps for one size and appends them as entry `index`: the
// writer's result, or kBadEdgeLength, kBadDepth or kOutOfMemory when the
// bitmaps cannot be made.
icofile::IconResult AddIconImage(icofile::IconFile& file, uint32_t index, SourcePicture& source, int32_t size,
                                 int32_t bitsPerPixel);

} // namespace imaging

// Callers own the loaded picture, so they get its full type with this header.
#include "libs/imaging/SourcePicture.h"
