#pragma once
// What an icon image holds, read from its own bytes: an icon group's entry
// may claim any size and depth, so the image itself is the authority.

#include <cstdint>
#include <optional>
#include <span>

namespace exeicons {

enum class ImageFormat : uint8_t {
    kDib,   // BITMAPINFOHEADER, colour table, colour rows, AND mask
    kPng,   // a whole PNG file; decoded by the caller (Qt), not here
};

struct ImageInfo {
    ImageFormat format = ImageFormat::kDib;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;   // bits per pixel; for PNG, channels x bit depth
};

[[nodiscard]] bool IsPng(std::span<const uint8_t> data);

// The format, size and depth of an icon image; nothing for data that is
// neither a usable icon DIB (see DibLayout) nor a PNG with a sound IHDR
// header, or that is wider or taller than kMaxIconEdge.
[[nodiscard]] std::optional<ImageInfo> InspectIconImage(std::span<const uint8_t> data);

} // namespace exeicons
