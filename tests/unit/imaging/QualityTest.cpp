// The fixed-point, vector and table-driven resampler against a plain double
// implementation of the same filter: every size from 16 to 128, odd ones
// included, down and up, must stay within rounding to 8 bits of it.

#include "ReferenceBicubic.h"
#include "TestPictures.h"

#include "libs/imaging/Resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

using imaging::Resampler;
using imagingtest::MakePattern;
using imagingtest::Pattern;
using imagingtest::Picture;

namespace {

// Rounding the straight result to 8 bits alone costs about 59 dB; the
// fixed-point arithmetic (14-bit pixels and weights) may add only a little.
constexpr double kMinPsnr = 55.0;

struct SourceSize {
    int32_t width, height;
};

class ResamplerQuality : public ::testing::TestWithParam<std::tuple<Pattern, SourceSize>> {};

double Psnr(const Picture& source, Resampler& resampler, int32_t width, int32_t height, bool boxPrereduce) {
    Picture out(width, height);
    EXPECT_TRUE(resampler.Resample(out.target()));
    return imagingtest::PremultipliedPsnr(imagingtest::ReferenceResample(source, width, height, boxPrereduce), out);
}

TEST_P(ResamplerQuality, EverySizeFrom16To128MatchesTheReference) {
    const auto [pattern, size] = GetParam();
    const Picture source = MakePattern(pattern, size.width, size.height, 5);
    Resampler resampler(source.view());  // one resampler for all sizes, as for an icon
    double worst = INFINITY;
    for (int32_t edge = 16; edge <= 128; ++edge) {
        const double psnr = Psnr(source, resampler, edge, edge, true);
        EXPECT_GE(psnr, kMinPsnr) << "size " << edge;
        worst = std::min(worst, psnr);
    }
    for (auto [w, h] : {std::pair{48, 32}, {17, 100}, {128, 16}}) {
        const double psnr = Psnr(source, resampler, w, h, true);
        EXPECT_GE(psnr, kMinPsnr) << w << "x" << h;
        worst = std::min(worst, psnr);
    }
    RecordProperty("worst_psnr_db", std::to_string(worst));
    std::printf("[ quality  ] %s %dx%d: worst %.2f dB\n", imagingtest::PatternName(pattern), size.width,
                size.height, worst);
}

// Without the box halving: the widened kernel at every factor.
TEST_P(ResamplerQuality, PlainKernelMatchesTheReference) {
    const auto [pattern, size] = GetParam();
    const Picture source = MakePattern(pattern, size.width, size.height, 9);
    Resampler resampler(source.view(), Resampler::Options{false});
    for (int32_t edge : {16, 33, 72, 128, 255})
        EXPECT_GE(Psnr(source, resampler, edge, edge, false), kMinPsnr) << "size " << edge;
}

// One axis shrunk far more than the other: after halving both axes alike the
// box goes on along that axis alone.
TEST(ResamplerQualityOneAxis, FarReductionOfOneAxisMatchesTheReference) {
    struct Case {
        int32_t sourceWidth, sourceHeight, width, height;
    };
    for (const Case c : {Case{1500, 1500, 1000, 1}, Case{1500, 1500, 1000, 2}, Case{7, 5000, 16, 16},
                         Case{5000, 7, 16, 16}, Case{2, 30000, 1, 1}, Case{1000, 997, 333, 333},
                         Case{37, 29, 40, 9}, Case{20000, 3, 64, 64}, Case{3, 20000, 48, 48},
                         Case{1536, 1535, 256, 256}, Case{4097, 9, 1000, 9}}) {
        const Picture source = MakePattern(Pattern::PartialAlpha, c.sourceWidth, c.sourceHeight, 11);
        Resampler resampler(source.view());
        EXPECT_GE(Psnr(source, resampler, c.width, c.height, true), kMinPsnr)
            << c.sourceWidth << "x" << c.sourceHeight << " to " << c.width << "x" << c.height;
    }
}

std::string QualityName(const ::testing::TestParamInfo<std::tuple<Pattern, SourceSize>>& info) {
    const auto& [pattern, size] = info.param;
    return std::string(imagingtest::PatternName(pattern)) + "_" + std::to_string(size.width) + "x" +
           std::to_string(size.height);
}

INSTANTIATE_TEST_SUITE_P(Pictures, ResamplerQuality,
                         ::testing::Combine(::testing::Values(Pattern::Noise, Pattern::Gradient, Pattern::Edges,
                                                              Pattern::PartialAlpha),
                                            ::testing::Values(SourceSize{256, 256}, SourceSize{201, 173},
                                                              SourceSize{1000, 997}, SourceSize{37, 29})),
                         QualityName);

} // namespace
