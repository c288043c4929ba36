#pragma once
// Pictures for the imaging tests, made by code: straight-alpha BGRA pixels,
// and the same pictures encoded in the formats the loader must read.

#include "libs/imaging/PixelView.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <vector>

namespace imagingtest {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;

    Picture() = default;
    Picture(int32_t w, int32_t h) : width(w), height(h), bgra(static_cast<size_t>(w) * h * 4, 0) {}

    uint8_t* at(int32_t x, int32_t y) { return bgra.data() + (static_cast<size_t>(y) * width + x) * 4; }
    const uint8_t* at(int32_t x, int32_t y) const {
        return bgra.data() + (static_cast<size_t>(y) * width + x) * 4;
    }
    void set(int32_t x, int32_t y, uint8_t b, uint8_t g, uint8_t r, uint8_t a);
    imaging::PixelView view() const { return {bgra.data(), width, height, ptrdiff_t{width} * 4}; }
    imaging::PixelTarget target() { return {bgra.data(), width, height, ptrdiff_t{width} * 4}; }
};

enum class Pattern {
    Noise,         // every channel random, alpha too
    Gradient,      // smooth ramps, opaque
    Edges,         // hard-edged blocks and stripes, some fully transparent
    PartialAlpha,  // colour noise under soft alpha ramps down to 0
};
const char* PatternName(Pattern pattern);

Picture MakePattern(Pattern pattern, int32_t width, int32_t height, uint32_t seed = 1);
Picture Filled(int32_t width, int32_t height, uint8_t b, uint8_t g, uint8_t r, uint8_t a);

QImage ToImage(const Picture& picture);  // Format_ARGB32
QByteArray Encode(const QImage& image, const char* format, int quality = -1);

} // namespace imagingtest
