#pragma once
// Bicubic resampling (Keys, a = -0.5) of one straight-alpha picture to any
// number of target sizes, each given as width x height; the whole picture is
// stretched onto the target (aspect is the caller's business).
//
// Filtering works on premultiplied pixels, so transparent pixels lend no
// colour to their neighbours, and comes back to straight alpha at the end.
// Pixels and weights are 16-bit fixed point summed exactly in 32 bits, so
// the SSE2 and AVX2 loops give the same bytes as plain code.
// Separable: the vertical pass first, then the horizontal one, row by row.
// An exact halving, the commonest step between icon sizes, takes shortcuts
// with the same sums: its weights mirror about their middle, so the
// vertical pass adds the mirrored rows before multiplying, and its inner
// target pixels share one set of weights, so the horizontal pass makes them
// without gathering each pixel's taps.
// When shrinking the kernel widens by the scale factor; at the picture's
// edges the weights are renormalised over the pixels inside it; pixel centres
// are aligned, so an unscaled picture comes out unchanged. To keep large
// reductions cheap, each axis is first halved with a box while it still
// shrinks by 3 or more: both at once with a 2 x 2 box as long as both do
// (those levels are kept and shared by all target sizes), then the axis
// left over on its own, by the power of two it has still to go in one box,
// so that a very wide or tall picture costs what a square one of as many
// pixels does. The first halving also premultiplies, so the full-size
// picture is never held premultiplied, and when only smaller levels are
// wanted the first one is never held whole either: the levels take at most
// about two thirds of the 8-bit picture's bytes, usually a sixth.

#include "libs/imaging/PixelView.h"
#include "libs/imaging/PremultipliedLevel.h"
#include "libs/imaging/ResampleKernels.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging {

class Resampler {
public:
    struct Options {
        // Halve with a box filter first when shrinking by 3 or more. Off
        // gives the plain widened kernel at every factor (slower).
        bool boxPrereduce = true;
        // The same bytes on every path; the choice only exists for tests.
        SimdPath path = FastestSimdPath();
    };

    // The source pixels must stay valid and unchanged while this is in use.
    explicit Resampler(PixelView source);
    Resampler(PixelView source, Options options);

    // Stretches the whole source onto the target, writing every pixel as
    // straight alpha; a pixel whose alpha comes out 0 is all zero. False,
    // with the target unspecified, for an empty source or target or when
    // memory cannot be had.
    [[nodiscard]] bool Resample(const PixelTarget& target);

    // The loops the filter and the mask run on.
    const ResampleKernels& kernels() const { return *kernels_; }

    // Bytes held by the shared reduced levels and block sums.
    size_t levelBytes() const;

    // How often the box halves each axis before the kernel, for a source of
    // `source` pixels stretched onto `target` pixels along each axis.
    struct Reduction {
        int32_t halvingsX = 0;
        int32_t halvingsY = 0;
    };
    static Reduction PlanReduction(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                                   int32_t targetHeight);

private:
    void Copy(const PixelTarget& target) const;
    const PremultipliedLevel& Level(int32_t halvings);
    // The full-size picture premultiplied, kept only while it is small.
    bool KeepsFullLevel() const;
    const PremultipliedLevel* FullLevel();
    // Halved on both axes alike, then one axis on its own; kept per plan.
    const PremultipliedLevel& OneAxisLevel(const Reduction& reduction);
    // Block sums of the picture along one axis, as coarse as `halvings` allows.
    const AxisSums& StraightSums(bool acrossX, int32_t halvings);
    void Filter(const PixelTarget& target, const Reduction& reduction);

    PixelView source_;
    Options options_;
    const ResampleKernels* kernels_;
    std::vector<PremultipliedLevel> levels_;  // levels_[k] is halved k + 1 times, once built
    PremultipliedLevel full_;                 // not halved; built only for small pictures
    struct OneAxis {
        Reduction reduction;
        PremultipliedLevel level;
    };
    std::vector<OneAxis> oneAxis_;
    // Block sums of the picture along each axis, read once for all sizes that
    // reduce that axis alone straight from the picture.
    std::vector<AxisSums> straightSums_;
};

} // namespace imaging
