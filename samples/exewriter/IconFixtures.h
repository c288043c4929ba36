#pragma once
// Icon images and icon groups for fixture executables: icon DIBs built from
// pixel values, group directories that name the images, and both added as
// resources.

#include "samples/exewriter/Resource.h"

#include <cstdint>
#include <vector>

namespace pewriter {

struct DibSpec {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 32;
    std::vector<uint32_t> palette;   // 0x00RRGGBB, written as RGBQUAD (1, 4 and 8 bits)
    // Top row first: a palette index (1-8 bits), a 5-5-5 value (16), 0xRRGGBB
    // (24) or 0xAARRGGBB (32).
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> mask;       // top row first, non-zero: transparent; empty: all opaque
    uint32_t coloursUsed = 0;        // biClrUsed; 0 with a palette shorter than full writes its size
};

// BITMAPINFOHEADER (height doubled), colour table, colour rows and AND mask
// rows, bottom row first, each row padded to 4 bytes.
[[nodiscard]] std::vector<uint8_t> MakeIconDib(const DibSpec& dib);

// An icon DIB of one colour with an opaque mask; `value` as in DibSpec::pixels.
// Images of 8 bits or less get a full palette with `value`'s colour at index 1.
[[nodiscard]] std::vector<uint8_t> MakeSolidDib(int32_t width, int32_t height, uint16_t bitCount, uint32_t value);

struct GroupImage {
    uint16_t id = 0;               // the RT_ICON resource id
    std::vector<uint8_t> data;     // a DIB or a PNG file
    // Group entry fields; -1 takes them from the image data.
    int hintWidth = -1;
    int hintHeight = -1;
    int hintBitCount = -1;
};

// GRPICONDIR and one GRPICONDIRENTRY per image, in the order given.
[[nodiscard]] std::vector<uint8_t> MakeGroupDirectory(const std::vector<GroupImage>& images);

// Appends one RT_ICON resource per image and one RT_GROUP_ICON naming them.
void AddIconGroup(std::vector<Resource>* resources, const ResId& group, const std::vector<GroupImage>& images,
                  uint16_t language = kLangEnUs);

} // namespace pewriter
