// Pixel checks of the bicubic resampler: exact values where they can be
// worked out by hand, and the properties every size must keep.

#include "TestPictures.h"

#include "libs/imaging/BicubicWeights.h"
#include "libs/imaging/Resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>
#include <string>
#include <tuple>

using imaging::Resampler;
using imagingtest::Filled;
using imagingtest::MakePattern;
using imagingtest::Pattern;
using imagingtest::Picture;

namespace {

using Bgra = std::array<int, 4>;

Bgra PixelAt(const Picture& p, int32_t x, int32_t y) {
    const uint8_t* v = p.at(x, y);
    return {v[0], v[1], v[2], v[3]};
}

Picture Resample(const Picture& source, int32_t width, int32_t height, bool boxPrereduce = true) {
    Picture out(width, height);
    Resampler resampler(source.view(), Resampler::Options{boxPrereduce});
    EXPECT_TRUE(resampler.Resample(out.target()));
    return out;
}

Picture Grey(std::initializer_list<uint8_t> values) {
    Picture p(static_cast<int32_t>(values.size()), 1);
    int32_t x = 0;
    for (uint8_t v : values)
        p.set(x++, 0, v, v, v, 255);
    return p;
}

// Worked out by hand from the kernel (a = -0.5) and the renormalisation at
// the picture's edges.
TEST(ResamplerGolden, UpscaleTwoPixelsToFour) {
    const Picture out = Resample(Grey({0, 255}), 4, 1);
    // Centres -0.25, 0.25, 0.75, 1.25: the outer two overshoot and clamp.
    EXPECT_EQ(PixelAt(out, 0, 0), (Bgra{0, 0, 0, 255}));
    EXPECT_EQ(PixelAt(out, 1, 0), (Bgra{53, 53, 53, 255}));    // 255 x 0.2266 / 1.0938
    EXPECT_EQ(PixelAt(out, 2, 0), (Bgra{202, 202, 202, 255}));
    EXPECT_EQ(PixelAt(out, 3, 0), (Bgra{255, 255, 255, 255}));
}

TEST(ResamplerGolden, DownscaleFourPixelsToTwoWidensTheKernel) {
    const Picture out = Resample(Grey({0, 0, 255, 255}), 2, 1);
    // Kernel twice as wide: all four pixels count, 255 x 0.1563 / 1.8906.
    EXPECT_EQ(PixelAt(out, 0, 0), (Bgra{21, 21, 21, 255}));
    EXPECT_EQ(PixelAt(out, 1, 0), (Bgra{234, 234, 234, 255}));
}

TEST(ResamplerGolden, TransparentNeighbourLendsNoColour) {
    Picture source(2, 1);
    source.set(0, 0, 0, 0, 255, 255);  // opaque red
    source.set(1, 0, 255, 0, 0, 0);    // transparent, blue in its colour bytes
    const Picture out = Resample(source, 4, 1);
    EXPECT_EQ(PixelAt(out, 0, 0), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(out, 1, 0), (Bgra{0, 0, 255, 202}));
    EXPECT_EQ(PixelAt(out, 2, 0), (Bgra{0, 0, 255, 53}));
    EXPECT_EQ(PixelAt(out, 3, 0), (Bgra{0, 0, 0, 0}));
}

TEST(ResamplerGolden, OneByOneSourceFillsAnyTarget) {
    const Picture out = Resample(Filled(1, 1, 10, 20, 30, 40), 5, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(out, x, y), (Bgra{10, 20, 30, 40}));
}

// The whole picture is stretched onto the square: each quadrant of a
// 100 x 50 picture lands in the matching quadrant of the 32 x 32 result, and
// the top and bottom rows are picture, not empty bands.
TEST(ResamplerGolden, WidePictureIsSqueezedNotLetterboxed) {
    Picture source(100, 50);
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            if (y < 25)
                x < 50 ? source.set(x, y, 0, 0, 255, 255) : source.set(x, y, 255, 0, 0, 255);
            else
                x < 50 ? source.set(x, y, 0, 255, 0, 255) : source.set(x, y, 255, 255, 255, 255);
        }
    const Picture out = Resample(source, 32, 32);
    EXPECT_EQ(PixelAt(out, 0, 0), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(out, 31, 0), (Bgra{255, 0, 0, 255}));
    EXPECT_EQ(PixelAt(out, 0, 31), (Bgra{0, 255, 0, 255}));
    EXPECT_EQ(PixelAt(out, 31, 31), (Bgra{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(out, 13, 12), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(out, 18, 19), (Bgra{255, 255, 255, 255}));
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x)
            ASSERT_EQ(out.at(x, y)[3], 255) << x << "," << y;
}

TEST(ResamplerGolden, RefusesEmptyTargetsAndSources) {
    Picture source = Filled(4, 4, 1, 2, 3, 4);
    Picture target(4, 4);
    Resampler resampler(source.view());
    EXPECT_FALSE(resampler.Resample({target.bgra.data(), 0, 4, 16}));
    EXPECT_FALSE(resampler.Resample({target.bgra.data(), 4, -1, 16}));
    EXPECT_FALSE(resampler.Resample({nullptr, 4, 4, 16}));
    Resampler empty(imaging::PixelView{});
    EXPECT_FALSE(empty.Resample(target.target()));
}

// Unscaled pictures come back unchanged; only pixels of alpha 0 are cleared.
class ResamplerIdentity : public ::testing::TestWithParam<std::tuple<Pattern, int32_t, int32_t>> {};

TEST_P(ResamplerIdentity, SameSizeIsUnchanged) {
    const auto [pattern, width, height] = GetParam();
    const Picture source = MakePattern(pattern, width, height);
    const Picture out = Resample(source, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const Bgra expected = source.at(x, y)[3] == 0 ? Bgra{0, 0, 0, 0} : PixelAt(source, x, y);
            ASSERT_EQ(PixelAt(out, x, y), expected) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResamplerIdentity,
                         ::testing::Combine(::testing::Values(Pattern::Noise, Pattern::Edges),
                                            ::testing::Values(1, 7, 16, 256), ::testing::Values(1, 5, 256)));

// The filter's own centre alignment: equal sizes give weight 1 on the same
// pixel, so the filtered path is the identity too, not only the copy.
TEST(AxisWeights, EqualSizesPickTheSamePixel) {
    for (int32_t n : {1, 2, 5, 128}) {
        const imaging::AxisWeights table = imaging::MakeAxisWeights(n, n, n);
        for (int32_t d = 0; d < n; ++d)
            for (int32_t k = 0; k < table.taps; ++k)
                EXPECT_EQ(table.weights[d * table.taps + k], table.first[d] + k == d ? 1.0f : 0.0f)
                    << "n " << n << " d " << d << " k " << k;
    }
}

TEST(AxisWeights, TapsStayInsideAndSumToOne) {
    for (auto [pixels, targets] : {std::pair{256, 16}, {37, 128}, {3, 7}, {1000, 3}, {2, 2}}) {
        const imaging::AxisWeights table = imaging::MakeAxisWeights(pixels, pixels, targets);
        for (int32_t d = 0; d < targets; ++d) {
            ASSERT_GE(table.first[d], 0);
            ASSERT_LE(table.first[d] + table.taps, pixels);
            double sum = 0;
            for (int32_t k = 0; k < table.taps; ++k)
                sum += table.weights[d * table.taps + k];
            EXPECT_NEAR(sum, 1.0, 1e-6) << pixels << " -> " << targets << " at " << d;
        }
    }
}

struct Scaling {
    int32_t sourceWidth, sourceHeight, width, height;
};

std::string ScalingName(const ::testing::TestParamInfo<Scaling>& info) {
    const Scaling& s = info.param;
    return std::to_string(s.sourceWidth) + "x" + std::to_string(s.sourceHeight) + "_to_" +
           std::to_string(s.width) + "x" + std::to_string(s.height);
}

class ResamplerScaling : public ::testing::TestWithParam<Scaling> {};

// A flat picture stays flat to its edges: nothing from outside the picture
// is mixed in, and the weights sum to one everywhere.
TEST_P(ResamplerScaling, ConstantPictureStaysConstant) {
    const Scaling s = GetParam();
    for (const Bgra colour : {Bgra{12, 200, 99, 255}, Bgra{250, 3, 128, 77}}) {
        const Picture source = Filled(s.sourceWidth, s.sourceHeight, static_cast<uint8_t>(colour[0]),
                                      static_cast<uint8_t>(colour[1]), static_cast<uint8_t>(colour[2]),
                                      static_cast<uint8_t>(colour[3]));
        const Picture out = Resample(source, s.width, s.height);
        for (int32_t y = 0; y < s.height; ++y)
            for (int32_t x = 0; x < s.width; ++x)
                ASSERT_EQ(PixelAt(out, x, y), colour) << x << "," << y;
    }
}

// An opaque red shape on a transparent background whose colour bytes are
// green: every pixel with any alpha is pure red, with no dark or green fringe.
TEST_P(ResamplerScaling, NoFringeAtTransparentEdges) {
    const Scaling s = GetParam();
    Picture source = Filled(s.sourceWidth, s.sourceHeight, 0, 255, 0, 0);
    for (int32_t y = s.sourceHeight / 4; y < s.sourceHeight * 3 / 4 + 1; ++y)
        for (int32_t x = s.sourceWidth / 3; x < s.sourceWidth * 2 / 3 + 1; ++x)
            source.set(x, y, 0, 0, 255, 255);
    const Picture out = Resample(source, s.width, s.height);
    int coloured = 0;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) {
            const Bgra p = PixelAt(out, x, y);
            if (p[3] == 0) {
                ASSERT_EQ(p, (Bgra{0, 0, 0, 0})) << x << "," << y;
            } else {
                ASSERT_EQ(p, (Bgra{0, 0, 255, p[3]})) << x << "," << y;
                ++coloured;
            }
        }
    EXPECT_GT(coloured, 0);
}

INSTANTIATE_TEST_SUITE_P(UpAndDown, ResamplerScaling,
                         ::testing::Values(Scaling{256, 256, 16, 16}, Scaling{256, 256, 128, 128},
                                           Scaling{256, 256, 1, 1}, Scaling{1024, 1024, 72, 72},
                                           Scaling{999, 333, 33, 31}, Scaling{100, 50, 32, 32},
                                           Scaling{16, 16, 256, 256}, Scaling{3, 5, 17, 9},
                                           Scaling{7, 1, 48, 48}, Scaling{300, 20, 96, 96},
                                           Scaling{2, 2, 1, 1}),
                         ScalingName);

// Large reductions share their halved levels between sizes, and those
// levels together hold a sixth of the 8-bit picture's bytes: the first
// halving premultiplies, and when only smaller levels are wanted it is never
// held itself (it alone would be half the picture's bytes).
TEST(ResamplerLevels, SharedBetweenSizesAndBounded) {
    const Picture source = MakePattern(Pattern::Gradient, 1024, 1024);
    Resampler resampler(source.view());
    Picture small(16, 16);
    ASSERT_TRUE(resampler.Resample(small.target()));
    const size_t afterSmall = resampler.levelBytes();
    EXPECT_GT(afterSmall, 0u);
    EXPECT_LE(afterSmall, source.bgra.size() / 5);
    for (int32_t size : {128, 96, 72, 64, 48, 32}) {
        Picture out(size, size);
        ASSERT_TRUE(resampler.Resample(out.target()));
    }
    EXPECT_EQ(resampler.levelBytes(), afterSmall);
    Picture big(400, 400);  // a mild reduction reads the picture itself
    ASSERT_TRUE(resampler.Resample(big.target()));
    EXPECT_EQ(resampler.levelBytes(), afterSmall);
}

} // namespace

// Bytes pinned from the fixed-point resampler (the quality test is what
// checks them against an independent filter): a change to any of them must
// be a deliberate one.
struct Pinned {
    Pattern pattern;
    int32_t sourceWidth, sourceHeight;
    std::vector<std::pair<int32_t, int32_t>> targets;
    uint64_t hash;
};

uint64_t Fnv1a(uint64_t hash, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

TEST(ResamplerPinned, BytesStayAsPinned) {
    const std::vector<std::pair<int32_t, int32_t>> icon = {{16, 16}, {32, 32}, {48, 48}, {64, 64},
                                                           {72, 72}, {96, 96}, {128, 128}};
    const Pinned cases[] = {
        {Pattern::Noise, 256, 256, icon, 0x8ec21484c92676a2ull},
        {Pattern::PartialAlpha, 256, 256, icon, 0x75a45986a5323ffeull},
        {Pattern::Edges, 1000, 997, {{16, 16}, {48, 48}, {100, 100}, {334, 334}}, 0x69afc5bf197ba1d9ull},
        {Pattern::Gradient, 201, 173, {{37, 29}, {201, 100}, {60, 57}}, 0xffef7189e27e1adfull},
        {Pattern::PartialAlpha, 37, 29, {{128, 128}, {40, 10}, {36, 30}}, 0x3b33380c51bc1c2bull},
        {Pattern::Noise, 640, 160, {{64, 16}, {20, 5}, {160, 40}}, 0x782c9dc7acd8c55full},
    };
    for (const Pinned& c : cases) {
        const Picture source = MakePattern(c.pattern, c.sourceWidth, c.sourceHeight, 3);
        Resampler resampler(source.view());
        uint64_t hash = 0xcbf29ce484222325ull;
        for (auto [w, h] : c.targets) {
            Picture out(w, h);
            ASSERT_TRUE(resampler.Resample(out.target()));
            hash = Fnv1a(hash, out.bgra);
        }
        EXPECT_EQ(hash, c.hash) << imagingtest::PatternName(c.pattern) << " " << c.sourceWidth << "x"
                                << c.sourceHeight;
    }
}

// Each axis is halved while what is left of its factor is 3 or more, on its
// own: a flat picture is not held back by its short axis.
TEST(ResamplerReduction, EachAxisHalvesOnItsOwn) {
    struct Case {
        int32_t sourceWidth, sourceHeight, width, height, halvingsX, halvingsY;
    };
    for (const Case c : {Case{8388608, 1, 256, 256, 14, 0}, Case{1, 8388608, 256, 256, 0, 14},
                         Case{2896, 2896, 256, 256, 2, 2}, Case{768, 767, 256, 256, 1, 0},
                         Case{767, 768, 256, 256, 0, 1}, Case{1536, 1535, 256, 256, 2, 1}, Case{3, 2, 1, 1, 1, 0},
                         Case{5, 6, 2, 2, 0, 1}, Case{256, 256, 256, 256, 0, 0}, Case{16, 16, 256, 256, 0, 0}}) {
        const Resampler::Reduction r =
            Resampler::PlanReduction(c.sourceWidth, c.sourceHeight, c.width, c.height);
        EXPECT_EQ(r.halvingsX, c.halvingsX) << c.sourceWidth << "x" << c.sourceHeight << " to " << c.width;
        EXPECT_EQ(r.halvingsY, c.halvingsY) << c.sourceWidth << "x" << c.sourceHeight << " to " << c.height;
    }
}

// After the box the kernel has less than 3 to shrink: at most 13 weights per
// target pixel, held once (not per channel).
TEST(ResamplerReduction, WeightsPerTargetPixelStayBounded) {
    struct Case {
        int32_t pixels;
        double extent;
        int32_t target, taps;
    };
    for (const Case c : {Case{512, 512.0, 256, 9}, Case{767, 767.0, 256, 13}, Case{256, 256.0, 256, 5},
                         Case{3, 3.0, 1, 3}}) {
        const imaging::AxisWeights table = imaging::MakeAxisWeights(c.pixels, c.extent, c.target);
        EXPECT_EQ(table.taps, c.taps) << c.pixels << " to " << c.target;
        EXPECT_EQ(table.weights.size(), static_cast<size_t>(c.target) * c.taps) << c.pixels << " to " << c.target;
    }
}

// A flat picture keeps only its reduced level, never the ones in between.
TEST(ResamplerReduction, OneAxisKeepsOnlyTheReducedLevel) {
    for (const bool wide : {true, false}) {
        const int32_t length = 1 << 20;
        const Picture source = MakePattern(Pattern::Noise, wide ? length : 1, wide ? 1 : length, 4);
        Resampler resampler(source.view());
        Picture out(64, 64);
        ASSERT_TRUE(resampler.Resample(out.target()));
        // 2^20 halved 13 times leaves 128 pixels (128 < 3 x 64 <= 256), made
        // from sums of blocks of 2^11 pixels, the coarsest that every target
        // up to 256 can still use (2^20 / 2^11 = 512 < 3 x 256 <= 1024).
        EXPECT_EQ(resampler.levelBytes(), 128u * 8u + 512u * 16u) << (wide ? "wide" : "tall");
    }
}

// Block sums of the picture serve every size that reduces the same axis
// further: a size comes out the same whether it summed the picture itself or
// took the finer sums another size left, and whether a one-pixel-wide
// picture's column was read as one run or row by row (rows apart in memory).
TEST(ResamplerReduction, SharedBlockSumsGiveWhatEachSizeSumsAlone) {
    const int32_t length = 300000;  // too tall to be held premultiplied whole
    const Picture tall = MakePattern(Pattern::PartialAlpha, 1, length, 6);
    const auto alone = [](imaging::PixelView view, int32_t edge) {
        Resampler resampler(view);
        Picture out(edge, edge);
        EXPECT_TRUE(resampler.Resample(out.target()));
        return out.bgra;
    };
    Resampler shared(tall.view());
    for (int32_t edge : {600, 16, 48, 256}) {  // 600 sums blocks of 2^8, the rest alone 2^9
        Picture out(edge, edge);
        ASSERT_TRUE(shared.Resample(out.target()));
        EXPECT_EQ(out.bgra, alone(tall.view(), edge)) << edge;
    }
    std::vector<uint8_t> spread(static_cast<size_t>(length) * 8, 0xEE);  // every other pixel in memory
    for (int32_t y = 0; y < length; ++y)
        std::copy_n(tall.at(0, y), 4, spread.data() + static_cast<size_t>(y) * 8);
    const imaging::PixelView apart{spread.data(), 1, length, 8};
    for (int32_t edge : {16, 256})
        EXPECT_EQ(alone(apart, edge), alone(tall.view(), edge)) << edge;
}
