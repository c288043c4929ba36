#pragma once
// The resampler's inner loops in three versions: plain scalar code, SSE2
// (always there on x86-64) and AVX2 (chosen at run time where the processor
// has it). All filtering is in integers, summed exactly in 32 bits, and the
// few steps that are not (the division back to straight alpha) are done by
// the same float operations on every path, so all of them give the same
// bytes for every input and an icon is the same on any x86-64.

#include "libs/imaging/FixedPixel.h"

#include <cstddef>
#include <cstdint>

namespace imaging {

enum class SimdPath { kPortable, kSse2, kAvx2 };

// Weights are signed 14-bit fixed point: each target pixel's sum to this.
inline constexpr int32_t kWeightShift = 14;
inline constexpr int32_t kWeightOne = 1 << kWeightShift;

struct ResampleKernels {
    // One row of straight-alpha bytes to premultiplied fixed point, as
    // Premultiply does it pixel by pixel.
    void (*premultiply)(const uint8_t* bgra, int32_t width, FixedPixel* out);
    // The vertical pass over one row: out[x] = sum of rows[k][x] weights[k]
    // over an even number of `taps`, rounded back to 14 bits and saturated
    // to 16.
    void (*rows)(const FixedPixel* const* rows, const int16_t* weights, int32_t taps, int32_t width,
                 FixedPixel* out);
    // The same for weights that mirror about their middle (weights[k] ==
    // weights[taps - 1 - k], as an exact halving has them) over a multiple of
    // four `taps`: rows k and taps - 1 - k are added before their weight
    // multiplies them, which 16 bits hold for premultiplied rows (0 to
    // kFixedOne), so half the multiplies give the same sums.
    void (*mirroredRows)(const FixedPixel* const* rows, const int16_t* weights, int32_t taps, int32_t width,
                         FixedPixel* out);
    // The horizontal pass over one row, back to straight-alpha bytes: target
    // pixel d sums in[first[d] + k] times tap k's weight for a multiple of
    // four `taps` (`in` readable that far), then FinishPixel. The weights are
    // laid out as FixedAxisWeights::pairs.
    void (*columns)(const FixedPixel* in, const int32_t* first, const int16_t* pairs, int32_t taps,
                    int32_t width, uint8_t* out);
    // The same for target pixels that all take one set of weights, pixel d
    // starting 2 d source pixels on: as `columns` with first[d] = 2 d and the
    // same weights for every d, but without gathering each pixel's taps anew.
    void (*halvingColumns)(const FixedPixel* in, const int16_t* weights, int32_t taps, int32_t width,
                           uint8_t* out);
    // One row of 2 x 2 box averages of premultiplied pixels (0 to kFixedOne),
    // each rounded, from two rows (the same row twice for an odd last row);
    // an odd last column is averaged on its own.
    void (*halve)(const FixedPixel* upper, const FixedPixel* lower, int32_t columns, FixedPixel* out);
    // transparent[i] = 1 where the pixel's alpha is below `opaqueFrom`, else 0.
    void (*mask)(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom, uint8_t* transparent);
};

// One target pixel from its four weighted sums: rounded to 14 bits, alpha
// clamped and rounded to 8 bits (all zero where it rounds to 0), colour
// clamped to alpha and divided back by it, rounded half up. The division is
// one correctly rounded float division of numbers below 2^24, which every
// path does alike and which lands on the exact integer rounding.
void FinishPixel(const int32_t* sums, uint8_t* bgra);

bool SimdPathAvailable(SimdPath path);
// The fastest path this processor runs.
SimdPath FastestSimdPath();
// The kernels of `path`, or of the fastest path when this processor lacks it.
const ResampleKernels& KernelsFor(SimdPath path);

} // namespace imaging
