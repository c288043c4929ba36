#pragma once
// A plain double-precision resampler with the same definition as the
// library's (Keys cubic, a = -0.5, widened when shrinking, centres aligned,
// weights renormalised inside the picture, optional 2 x 2 box halving while
// the factor left on both axes is 3 or more, then a box over the power of two
// that keeps the factor left on the other axis under 3), written for clarity, not speed, to measure
// the library's float and vector code against.

#include "TestPictures.h"

#include <vector>

namespace imagingtest {

// Straight-alpha result, four doubles (blue, green, red, alpha) per pixel,
// clamped to 0..255 but not rounded; alpha below one half gives all zero.
struct ReferenceResult {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<double> bgra;
};

ReferenceResult ReferenceResample(const Picture& source, int32_t width, int32_t height, bool boxPrereduce);

// Peak signal-to-noise ratio in dB over premultiplied blue, green, red and
// alpha; infinity when equal.
double PremultipliedPsnr(const ReferenceResult& reference, const Picture& actual);

} // namespace imagingtest
