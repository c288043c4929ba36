// Every SIMD path of the resampler and the mask against the portable one,
// byte for byte, on pictures of many shapes, random data and alpha at its
// edges: an icon must come out the same on any x86-64 processor.

#include "TestPictures.h"

#include "libs/imaging/ResampleKernels.h"
#include "libs/imaging/Resampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

using imaging::Resampler;
using imaging::SimdPath;
using imagingtest::MakePattern;
using imagingtest::Pattern;
using imagingtest::Picture;

namespace {

const char* PathName(SimdPath path) { return path == SimdPath::kSse2 ? "sse2" : "avx2"; }

// Random colours under alphas bunched at the ends, where premultiplying and
// dividing back are most fragile: 0, 1, 2, 254, 255 and a few in between.
Picture AlphaEdges(int32_t width, int32_t height, uint32_t seed) {
    static constexpr uint8_t kAlphas[] = {0, 0, 1, 1, 2, 3, 127, 128, 254, 255, 255};
    std::mt19937 random(seed);
    Picture p(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            p.set(x, y, static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                  static_cast<uint8_t>(random()), kAlphas[random() % std::size(kAlphas)]);
    return p;
}

std::vector<Picture> Sources() {
    std::vector<Picture> sources;
    const std::pair<int32_t, int32_t> shapes[] = {{1, 1},   {2, 3},   {7, 5},    {31, 17}, {64, 64},
                                                  {173, 201}, {256, 256}, {300, 20}, {9, 300}, {1000, 3}};
    uint32_t seed = 1;
    for (auto [w, h] : shapes) {
        for (Pattern pattern : {Pattern::Noise, Pattern::PartialAlpha, Pattern::Edges})
            sources.push_back(MakePattern(pattern, w, h, seed++));
        sources.push_back(AlphaEdges(w, h, seed++));
    }
    return sources;
}

Picture Resampled(Resampler& resampler, int32_t width, int32_t height) {
    Picture out(width, height);
    EXPECT_TRUE(resampler.Resample(out.target()));
    return out;
}

TEST(ResamplePaths, Sse2IsAlwaysThereOnX86_64) {
#if defined(__x86_64__)
    EXPECT_TRUE(imaging::SimdPathAvailable(SimdPath::kSse2));
#endif
    EXPECT_TRUE(imaging::SimdPathAvailable(SimdPath::kPortable));
    EXPECT_TRUE(imaging::SimdPathAvailable(imaging::FastestSimdPath()));
}

TEST(ResamplePaths, EveryPathGivesThePortableBytes) {
    const std::pair<int32_t, int32_t> targets[] = {{1, 1},   {3, 2},   {16, 16}, {17, 31}, {32, 32},
                                                   {48, 48}, {72, 72}, {96, 96}, {128, 128}, {255, 7}};
    const std::vector<Picture> sources = Sources();
    int compared = 0;
    for (SimdPath path : {SimdPath::kSse2, SimdPath::kAvx2}) {
        if (!imaging::SimdPathAvailable(path)) {
            std::printf("[ paths    ] %s: not on this processor\n", PathName(path));
            continue;
        }
        for (const Picture& source : sources)
            for (bool box : {true, false}) {
                Resampler portable(source.view(), Resampler::Options{box, SimdPath::kPortable});
                Resampler simd(source.view(), Resampler::Options{box, path});
                for (auto [w, h] : targets) {
                    const Picture expected = Resampled(portable, w, h);
                    const Picture actual = Resampled(simd, w, h);
                    ASSERT_EQ(actual.bgra, expected.bgra) << PathName(path) << " " << source.width << "x"
                                                          << source.height << " to " << w << "x" << h
                                                          << (box ? "" : " without the box");
                    ++compared;
                }
            }
    }
    EXPECT_GT(compared, 0);
}

// Alpha straddling both thresholds, at every length up to a few registers
// past the widest one, so each tail is taken.
TEST(ResamplePaths, MaskMarksAlphaBelowTheThresholdOnEveryPath) {
    std::mt19937 random(7);
    static constexpr uint8_t kAlphas[] = {0, 1, 2, 125, 126, 127, 128, 254, 255};
    for (SimdPath path : {SimdPath::kPortable, SimdPath::kSse2, SimdPath::kAvx2}) {
        if (!imaging::SimdPathAvailable(path))
            continue;
        const imaging::ResampleKernels& kernels = imaging::KernelsFor(path);
        for (size_t pixels = 0; pixels <= 41; ++pixels)
            for (uint8_t threshold : {uint8_t{1}, uint8_t{127}}) {
                std::vector<uint8_t> bgra(pixels * 4);
                std::vector<uint8_t> expected(pixels);
                for (size_t i = 0; i < pixels; ++i) {
                    for (int c = 0; c < 3; ++c)
                        bgra[4 * i + c] = static_cast<uint8_t>(random());
                    const uint8_t alpha = kAlphas[random() % std::size(kAlphas)];
                    bgra[4 * i + 3] = alpha;
                    expected[i] = threshold == 1 ? alpha == 0 : alpha <= 126;
                }
                std::vector<uint8_t> mask(pixels + 1, 0xAA);  // one byte past the end must stay
                kernels.mask(bgra.data(), pixels, threshold, mask.data());
                EXPECT_EQ(mask.back(), 0xAA) << pixels;
                mask.pop_back();
                EXPECT_EQ(mask, expected) << "path " << static_cast<int>(path) << ", " << pixels
                                          << " pixels, threshold " << int{threshold};
            }
    }
}

} // namespace
