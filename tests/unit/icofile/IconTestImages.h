#pragma once
// Test images for the icon writer and readers of the bytes it writes.

#include "libs/icofile/IconFile.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace icotest {

struct Pixel {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool transparent = false;
};

struct TestImage {
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;

    icofile::IconImage at(uint32_t index, uint32_t colourCount) const {
        return {index, colour, mask, colourCount};
    }
};

TestImage MakeImage(int32_t edge, const std::function<Pixel(int32_t x, int32_t y)>& pixel);
// A gradient with many colours and a transparent top-left corner.
TestImage GradientImage(int32_t edge);

// One image per entry of `counts` (its colour count), all of `image`.
std::vector<uint8_t> IconBytes(const TestImage& image, const std::vector<uint32_t>& counts);

uint16_t U16(const std::vector<uint8_t>& bytes, size_t offset);
uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset);
std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t offset, size_t length);

struct Entry {
    uint8_t width, height, colourCount, reserved;
    uint16_t planes, bitCount;
    uint32_t length, offset;
};
Entry ReadEntry(const std::vector<uint8_t>& icon, uint32_t index);

} // namespace icotest
