#pragma once
// Decodes the DIB of an icon image (1, 4 or 8 bits with a colour table,
// 16 bits as 5-5-5, 24 or 32 bits) into 32-bit pixels with straight alpha.
// PNG images are not decoded here: the caller hands their bytes to its image
// library (Qt).

#include "libs/exeicons/ExeIconError.h"

#include <cstdint>
#include <span>
#include <vector>

namespace exeicons {

struct DecodedIcon {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;   // rows top first; blue, green, red, alpha per pixel
};

struct [[nodiscard]] DecodeResult {
    ExeIconError error = ExeIconError::kNone;
    DecodedIcon image;   // filled when ok()

    [[nodiscard]] bool ok() const { return error == ExeIconError::kNone; }
};

// Transparency: where the AND mask has a 1 the pixel is fully transparent
// (0, 0, 0, 0), elsewhere opaque. A 32-bit image uses its alpha channel
// instead, unless every alpha byte is 0: then the mask decides. Colour-table
// indices past the table's end give opaque black. kNotDib for a PNG image.
[[nodiscard]] DecodeResult DecodeDibIcon(std::span<const uint8_t> data);

} // namespace exeicons
