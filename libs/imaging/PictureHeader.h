#pragma once
// What a picture file's first bytes allow before the rest is read: whether
// its header is acceptable at all, and how large the file may plausibly be.

#include <cstddef>
#include <cstdint>

namespace imaging {

// Enough for every header checked here (PNG: signature and IHDR; BMP: its
// file header and the largest info header, 138 bytes).
inline constexpr size_t kPictureHeadBytes = 160;

// The largest plausible size of a file that starts with these bytes (fewer
// than kPictureHeadBytes only when the file is that short); 0 when the header
// already refuses the picture: a PNG signature without a valid IHDR first, a
// BMP whose headers its decoder refuses, or more pixels than maxPixels. Formats without a check here get maxBytes.
int64_t PlausibleFileBytes(const uint8_t* head, size_t size, int64_t maxPixels, int64_t maxBytes);

} // namespace imaging
