#pragma once
// A picture in premultiplied fixed-point pixels, possibly reduced from the
// original: one level of the box pyramid that the resampler shares between
// sizes.

#include "libs/imaging/FixedPixel.h"
#include "libs/imaging/PixelView.h"
#include "libs/imaging/ResampleKernels.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace imaging {

struct PremultipliedLevel {
    int32_t width = 0;
    int32_t height = 0;
    // The span of the original picture in this level's pixels: half the
    // previous level's, so an odd size leaves a last pixel that sticks out.
    double extentX = 0.0;
    double extentY = 0.0;
    // Left uninitialised on allocation: every pixel is written once.
    std::unique_ptr<FixedPixel[]> pixels;

    size_t bytes() const { return static_cast<size_t>(width) * height * sizeof(FixedPixel); }
    const FixedPixel* row(int32_t y) const { return pixels.get() + static_cast<size_t>(y) * width; }
};

// 2 x 2 box reductions, each pixel the rounded average of four; an odd last
// column or row is averaged on its own. All throw std::bad_alloc.
// Premultiplying is fused with the first halving, so the full-size picture
// is never held premultiplied.
PremultipliedLevel HalveStraight(const PixelView& source, const ResampleKernels& kernels);
// Halved twice, the same as HalveLevel(HalveStraight(source)) to the last
// bit, without holding the level in between: large pictures need only a
// sixteenth of their pixels premultiplied.
PremultipliedLevel QuarterStraight(const PixelView& source, const ResampleKernels& kernels);
PremultipliedLevel HalveLevel(const PremultipliedLevel& level, const ResampleKernels& kernels);
// The picture itself premultiplied, not halved: worth holding only for
// small pictures that several sizes filter at full resolution.
PremultipliedLevel PremultiplyStraight(const PixelView& source, const ResampleKernels& kernels);
// The same into *full, and halved once from its rows while they are at
// hand: HalveLevel(PremultiplyStraight(source)) in one pass over the picture.
PremultipliedLevel PremultiplyAndHalve(const PixelView& source, const ResampleKernels& kernels,
                                       PremultipliedLevel* full);

// Exact sums of premultiplied pixels over blocks of 2^blockLog pixels along
// one axis (x when `acrossX`, else y), the last block holding what is left.
// Sums of sums are sums, so one pass over a very wide or tall picture serves
// every reduction of that axis by as much or more, with the same result as
// summing each from the picture.
struct AxisSums {
    bool acrossX = false;
    int32_t blockLog = 0;
    int32_t length = 0;  // pixels along the axis
    int32_t blocks = 0;
    int32_t across = 0;  // pixels across the axis
    double extentX = 0.0;
    double extentY = 0.0;
    // Four per block and line: across x each row's blocks in turn, down y
    // each block's row of pixels, in the order the picture is read.
    std::vector<uint32_t> sums;

    size_t entry(int32_t line, int32_t block) const {
        return (acrossX ? static_cast<size_t>(line) * blocks + block : static_cast<size_t>(block) * across + line) * 4;
    }
    const uint32_t* at(int32_t line, int32_t block) const { return sums.data() + entry(line, block); }
    uint32_t* at(int32_t line, int32_t block) { return sums.data() + entry(line, block); }
};
// The largest block summed in 32 bits: 2^17 x 16320 < 2^32.
inline constexpr int32_t kMaxBlockLog = 17;
AxisSums SumStraight(const PixelView& source, bool acrossX, int32_t blockLog, const ResampleKernels& kernels);
AxisSums SumLevel(const PremultipliedLevel& level, bool acrossX, int32_t blockLog);
// The axis shrunk by 2^halvings (at least the sums' block) with a box: each
// pixel the rounded average of that many, the last of what is left over, so
// the extent on that axis is divided exactly.
PremultipliedLevel ReduceSums(const AxisSums& sums, int32_t halvings);

} // namespace imaging
