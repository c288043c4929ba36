#pragma once
// The resampler's inner loops in three versions: plain scalar code, SSE2
// (always there on x86-64) and AVX2 (chosen at run time where the processor
// has it). Every version does the same float operations in the same order on
// every lane, without contraction into fused multiply-adds, so all of them
// give the same bytes for every input and an icon is the same on any x86-64.

#include "libs/imaging/PixelVector.h"

#include <cstddef>
#include <cstdint>

namespace imaging {

enum class SimdPath { kPortable, kSse2, kAvx2 };

struct ResampleKernels {
    // One row of straight-alpha bytes to premultiplied floats, as
    // LoadPremultiplied does it pixel by pixel.
    void (*premultiply)(const uint8_t* bgra, int32_t width, Vec4* out);
    // out[x] = (rows[0][x] w0 + rows[1][x] w1) + (rows[2][x] w2 + rows[3][x] w3),
    // added to what out[x] holds when `accumulate`.
    void (*rowGroup)(const Vec4* const* rows, const float* weights, int32_t width, bool accumulate, Vec4* out);
    // The horizontal pass over one row, back to straight-alpha bytes: target
    // pixel d sums in[first[d] + k] weights[d * taps + k], the even taps and
    // the odd ones apart, then adds the two.
    void (*columns)(const Vec4* in, const int32_t* first, const float* weights, int32_t taps, int32_t width,
                    uint8_t* out);
    // transparent[i] = 1 where the pixel's alpha is below `opaqueFrom`, else 0.
    void (*mask)(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom, uint8_t* transparent);
};

bool SimdPathAvailable(SimdPath path);
// The fastest path this processor runs.
SimdPath FastestSimdPath();
// The kernels of `path`, or of the fastest path when this processor lacks it.
const ResampleKernels& KernelsFor(SimdPath path);

} // namespace imaging
