#include "libs/exeicons/IconImageInfo.h"

#include "libs/exeicons/DibLayout.h"
#include "libs/exeicons/ExeIconLimits.h"
#include "libs/exeicons/LeReader.h"

#include <algorithm>
#include <array>

namespace exeicons {
namespace {

constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kIhdrLength = 13;
constexpr uint32_t kIhdrType = 0x49484452;   // "IHDR"

// Channels of a PNG colour type; 0 for an unknown type.
uint16_t PngChannels(uint8_t colourType) {
    switch (colourType) {
    case 0: return 1;   // grey
    case 2: return 3;   // RGB
    case 3: return 1;   // palette index
    case 4: return 2;   // grey and alpha
    case 6: return 4;   // RGBA
    default: return 0;
    }
}

std::optional<ImageInfo> InspectPng(std::span<const uint8_t> data) {
    LeReader r(data);
    const uint32_t length = r.u32BigEndian(8);
    const uint32_t type = r.u32BigEndian(12);
    const uint32_t width = r.u32BigEndian(16);
    const uint32_t height = r.u32BigEndian(20);
    const uint8_t depth = r.u8(24);
    const uint16_t channels = PngChannels(r.u8(25));
    const bool depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    if (!r.ok() || length != kIhdrLength || type != kIhdrType || !depthOk || channels == 0)
        return std::nullopt;
    const auto maxEdge = static_cast<uint32_t>(kMaxIconEdge);
    if (width == 0 || height == 0 || width > maxEdge || height > maxEdge)
        return std::nullopt;
    return ImageInfo{ImageFormat::kPng, static_cast<int32_t>(width), static_cast<int32_t>(height),
                     static_cast<uint16_t>(channels * depth)};
}

} // namespace

bool IsPng(std::span<const uint8_t> data) {
    return data.size() >= kPngSignature.size() &&
           std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin());
}

std::optional<ImageInfo> InspectIconImage(std::span<const uint8_t> data) {
    if (IsPng(data))
        return InspectPng(data);
    DibLayout layout;
    if (ParseDibLayout(data, &layout) != ExeIconError::kNone)
        return std::nullopt;
    return ImageInfo{ImageFormat::kDib, layout.width, layout.height, layout.bitCount};
}

} // namespace exeicons
