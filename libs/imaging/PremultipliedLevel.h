#pragma once
// A picture in premultiplied float pixels, possibly halved from the original:
// one level of the box pyramid that the resampler shares between sizes.

#include "libs/imaging/PixelVector.h"
#include "libs/imaging/PixelView.h"
#include "libs/imaging/ResampleKernels.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imaging {

struct PremultipliedLevel {
    int32_t width = 0;
    int32_t height = 0;
    // The span of the original picture in this level's pixels: half the
    // previous level's, so an odd size leaves a last pixel that sticks out.
    double extentX = 0.0;
    double extentY = 0.0;
    // Left uninitialised on allocation: every pixel is written once.
    std::unique_ptr<Vec4[]> pixels;

    size_t bytes() const { return static_cast<size_t>(width) * height * sizeof(Vec4); }
    const Vec4* row(int32_t y) const { return pixels.get() + static_cast<size_t>(y) * width; }
};

// 2 x 2 box reductions; an odd last column or row is averaged on its own.
// All throw std::bad_alloc. Premultiplying is fused with the first halving,
// so the full-size picture is never held in floats.
PremultipliedLevel HalveStraight(const PixelView& source);
// Halved twice, the same as HalveLevel(HalveStraight(source)) to the last
// bit, without holding the level in between: large pictures need only a
// sixteenth of their pixels in floats.
PremultipliedLevel QuarterStraight(const PixelView& source);
PremultipliedLevel HalveLevel(const PremultipliedLevel& level);
// One axis (x when `acrossX`, else y) shrunk by 2^halvings with a box: each
// pixel the plain average of that many, the last of what is left over, so
// the extent on that axis is divided exactly. Only ever as large as the
// reduced picture: a very wide or tall source is read once, never held in
// floats at a size in between.
PremultipliedLevel ReduceAxisStraight(const PixelView& source, bool acrossX, int32_t halvings);
PremultipliedLevel ReduceAxisLevel(const PremultipliedLevel& level, bool acrossX, int32_t halvings);
// The picture itself in premultiplied floats, not halved: worth holding only
// for small pictures that several sizes filter at full resolution.
PremultipliedLevel PremultiplyStraight(const PixelView& source, const ResampleKernels& kernels);

} // namespace imaging
