#pragma once
// Per-axis weight tables of the bicubic filter (Keys, a = -0.5).

#include <cstdint>
#include <vector>

namespace imaging {

// The cubic convolution kernel with a = -0.5; zero from |x| = 2 on.
double KeysKernel(double x);

// How the target pixels of one axis are made from the source pixels.
// Target pixel d reads source pixels first[d] .. first[d] + taps - 1, all
// inside the picture, with weights[d * taps + k]. The kernel's taps that fall
// outside the picture are left out and the rest renormalised to sum 1, so
// nothing from beyond the edge bleeds in; unused slots weigh 0.
struct AxisWeights {
    int32_t taps = 0;
    std::vector<int32_t> first;
    std::vector<float> weights;
};

// `sourcePixels` pixels that span `sourceExtent` units of the picture (equal,
// except for a halved level of odd size) mapped onto `targetPixels`. Pixel
// centres are aligned, so equal sizes give the identity; when shrinking the
// kernel is widened by the scale factor. Throws std::bad_alloc.
AxisWeights MakeAxisWeights(int32_t sourcePixels, double sourceExtent, int32_t targetPixels);

// The same weights in signed 14-bit fixed point, each target pixel's summing
// to exactly 1 << 14, so a flat picture stays flat. `taps` is the widest run
// of nonzero weights rounded up to a multiple of four, the rest 0, for the
// vector loops: target pixel d reads up to first[d] + taps - 1, at most three
// pixels past the end. `pairs` holds the same weights as the multiply-adds
// take them: each two taps' weights four times over (16 bytes per two taps).
// Halving exactly, the inner target pixels all read the same weights, each
// two source pixels on from the one before: those from halvingBegin up to
// halvingEnd (an empty run where there are too few) can share one set. The
// few outside the run are listed in `outside`, with their `first` and
// `pairs` in the same order, so that they can be made in one go.
struct FixedAxisWeights {
    int32_t taps = 0;
    std::vector<int32_t> first;
    std::vector<int16_t> weights;
    std::vector<int16_t> pairs;
    int32_t halvingBegin = 0;
    int32_t halvingEnd = 0;
    std::vector<int32_t> outside;
    std::vector<int32_t> outsideFirst;
    std::vector<int16_t> outsidePairs;
};
FixedAxisWeights MakeFixedAxisWeights(int32_t sourcePixels, double sourceExtent, int32_t targetPixels);

} // namespace imaging
