// Every SIMD path of the resampler and the mask against the portable one,
// byte for byte, on pictures of many shapes, random data and alpha at its
// edges: an icon must come out the same on any x86-64 processor.

#include "TestPictures.h"

#include "libs/imaging/ResampleKernels.h"
#include "libs/imaging/Resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
        for (Pattern pattern : {Pattern::Noise, Pattern::Gradient, Pattern::PartialAlpha, Pattern::Edges})
            sources.push_back(MakePattern(pattern, w, h, seed++));
        sources.push_back(AlphaEdges(w, h, seed++));
    }
    return sources;
}

// The paths this processor runs.
std::vector<SimdPath> Paths() {
    std::vector<SimdPath> paths;
    for (SimdPath path : {SimdPath::kPortable, SimdPath::kSse2, SimdPath::kAvx2})
        if (imaging::SimdPathAvailable(path))
            paths.push_back(path);
    return paths;
}

// A row of pixels one longer than wanted, the extra one marked, to show
// that a loop writes nothing past its end.
std::vector<imaging::FixedPixel> MarkedRow(size_t pixels) {
    return std::vector<imaging::FixedPixel>(pixels + 1, imaging::FixedPixel{{-1, -1, -1, -1}});
}

// `actual`, a MarkedRow, holds `expected` and its mark.
::testing::AssertionResult SamePixels(const std::vector<imaging::FixedPixel>& actual,
                                      const std::vector<imaging::FixedPixel>& expected) {
    if (actual.size() != expected.size() + 1 || actual.back().lane[0] != -1)
        return ::testing::AssertionFailure() << "written past the end";
    for (size_t x = 0; x < expected.size(); ++x)
        for (int c = 0; c < 4; ++c)
            if (actual[x].lane[c] != expected[x].lane[c])
                return ::testing::AssertionFailure() << "pixel " << x << " lane " << c << ": " << actual[x].lane[c]
                                                     << " instead of " << expected[x].lane[c];
    return ::testing::AssertionSuccess();
}

Picture Resampled(Resampler& resampler, int32_t width, int32_t height) {
    Picture out(width, height);
    EXPECT_TRUE(resampler.Resample(out.target()));
    return out;
}

TEST(ResamplePaths, EveryPathGivesThePortableBytes) {
    const std::pair<int32_t, int32_t> targets[] = {{1, 1},   {3, 2},   {16, 16}, {17, 31}, {32, 32},
                                                   {48, 48}, {72, 72}, {96, 96}, {128, 128}, {255, 7}};
    const std::vector<Picture> sources = Sources();
    int compared = 0;
    for (SimdPath path : Paths()) {
        if (path == SimdPath::kPortable)
            continue;
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


// Back to straight alpha, against exact integer arithmetic: colour n over
// alpha A (both 64 per 8-bit step) is n x 255 / A rounded half up, for
// every A from just below the first visible alpha to opaque, and n at both
// ends and on each side of every rounding boundary. A horizontal pass of one
// tap of weight 1 hands each path the pixel as it is.
TEST(ResamplePaths, StraightAlphaIsTheExactlyRoundedQuotientOnEveryPath) {
    constexpr int32_t kOne = 1 << 14;
    for (SimdPath path : Paths()) {
        const imaging::ResampleKernels& kernels = imaging::KernelsFor(path);
        int64_t checked = 0;
        for (int32_t alpha = 0; alpha <= imaging::kFixedOne; ++alpha) {
            std::vector<int32_t> colours = {0, 1, alpha - 1, alpha, alpha + 1, -5, 20000};
            for (int32_t k = 0; k < 255; k += 37) {
                const int32_t boundary = static_cast<int32_t>((int64_t{2 * k + 1} * alpha) / 510);
                colours.insert(colours.end(), {boundary - 1, boundary, boundary + 1});
            }
            std::vector<imaging::FixedPixel> in;
            for (int32_t n : colours)
                in.push_back({{static_cast<int16_t>(n), static_cast<int16_t>(std::clamp(n, 0, alpha)),
                               static_cast<int16_t>(n / 2), static_cast<int16_t>(alpha)}});
            const int32_t width = static_cast<int32_t>(in.size());
            in.resize(in.size() + 3, imaging::FixedPixel{});
            std::vector<int32_t> first(width);
            std::vector<int16_t> pairs(static_cast<size_t>(width) * 16, 0);
            for (int32_t d = 0; d < width; ++d) {
                first[d] = d;
                for (int copy = 0; copy < 4; ++copy)
                    pairs[static_cast<size_t>(d) * 16 + 2 * copy] = static_cast<int16_t>(kOne);
            }
            std::vector<uint8_t> out(static_cast<size_t>(width) * 4);
            kernels.columns(in.data(), first.data(), pairs.data(), 4, width, out.data());
            const int32_t alpha8 = (alpha + 32) / 64;
            for (int32_t d = 0; d < width; ++d) {
                for (int c = 0; c < 4; ++c) {
                    const int64_t n = std::clamp<int64_t>(in[d].lane[c], 0, alpha);
                    const int64_t expected = alpha8 == 0 ? 0 : c == 3 ? alpha8 : (2 * n * 255 + alpha) / (2 * alpha);
                    ASSERT_EQ(out[4 * d + c], expected) << "path " << static_cast<int>(path) << ", alpha " << alpha
                                                        << ", lane " << c << " = " << in[d].lane[c];
                }
                ++checked;
            }
        }
        EXPECT_GT(checked, 16320 * 7);
    }
}

// Every colour under every alpha: within three quarters of a unit of colour
// x alpha x 64 / 255 (a 85th of an 8-bit step; the worst, 0.706, is colour
// 220 under alpha 249), alpha exactly 64 x alpha, and colour 255 exactly the
// alpha lane (so an opaque colour comes back pure), and the same bytes on
// every path.
TEST(ResamplePaths, PremultiplyIsWithinThreeQuartersOfAUnitOnEveryPath) {
    std::vector<uint8_t> bgra(256 * 4);
    std::vector<imaging::FixedPixel> out = MarkedRow(256);
    std::vector<imaging::FixedPixel> portable(256);
    for (SimdPath path : Paths())
        for (int32_t alpha = 0; alpha < 256; ++alpha) {
            for (int32_t c = 0; c < 256; ++c) {
                bgra[4 * c] = static_cast<uint8_t>(c);
                bgra[4 * c + 1] = static_cast<uint8_t>(255 - c);
                bgra[4 * c + 2] = static_cast<uint8_t>(c ^ 0x5A);
                bgra[4 * c + 3] = static_cast<uint8_t>(alpha);
            }
            imaging::KernelsFor(path).premultiply(bgra.data(), 256, out.data());
            imaging::KernelsFor(SimdPath::kPortable).premultiply(bgra.data(), 256, portable.data());
            ASSERT_TRUE(SamePixels(out, portable)) << "path " << static_cast<int>(path) << ", alpha " << alpha;
            for (int32_t x = 0; x < 256; ++x) {
                for (int c = 0; c < 3; ++c) {
                    const double exact = bgra[4 * x + c] * alpha * 64.0 / 255.0;
                    ASSERT_LE(std::abs(out[x].lane[c] - exact), 0.75)
                        << "path " << static_cast<int>(path) << ", colour " << int{bgra[4 * x + c]} << ", alpha "
                        << alpha;
                }
                ASSERT_EQ(out[x].lane[3], 64 * alpha);
                if (x == 255) {
                    ASSERT_EQ(out[x].lane[0], 64 * alpha);
                }
            }
        }
}

// Premultiplied pixels, a quarter of them opaque white (the largest lanes,
// where two rows added come closest to 16 bits).
std::vector<imaging::FixedPixel> RandomPremultiplied(std::mt19937& random, size_t count) {
    std::vector<imaging::FixedPixel> pixels(count);
    for (auto& pixel : pixels) {
        const auto alpha = static_cast<int16_t>(random() % 4 == 0 ? imaging::kFixedOne : random() % (imaging::kFixedOne + 1));
        const auto colour = [&] { return static_cast<int16_t>(alpha == imaging::kFixedOne ? alpha : random() % (alpha + 1)); };
        pixel = {{colour(), colour(), colour(), alpha}};
    }
    return pixels;
}

// Weights summing to one, overshooting as the kernel does; mirrored about
// their middle when asked.
std::vector<int16_t> RandomWeights(std::mt19937& random, int32_t taps, bool mirrored) {
    std::vector<int16_t> weights(static_cast<size_t>(taps));
    for (auto& weight : weights)
        weight = static_cast<int16_t>(static_cast<int32_t>(random() % 3000) - 500);
    if (mirrored)
        std::copy(weights.begin(), weights.begin() + taps / 2, weights.rbegin());
    int32_t sum = 0;
    for (int16_t weight : weights)
        sum += weight;
    const int32_t middle = taps / 2;
    const int32_t excess = (1 << 14) - sum;
    weights[middle] = static_cast<int16_t>(weights[middle] + (mirrored ? excess / 2 : excess));
    if (mirrored)
        weights[middle - 1] = weights[middle];
    return weights;
}

// Weights that mirror about their middle, adding the mirrored rows first,
// against the plain vertical pass over the same rows: every tail of the
// vectors, the unrolled tap counts and one that is not, on every path.
TEST(ResamplePaths, MirroredRowsGiveWhatThePlainPassGives) {
    std::mt19937 random(13);
    for (SimdPath path : Paths()) {
        const imaging::ResampleKernels& kernels = imaging::KernelsFor(path);
        for (int32_t taps : {4, 8, 12, 16, 20})
            for (int32_t width = 1; width <= 13; ++width) {
                std::vector<std::vector<imaging::FixedPixel>> rows;
                std::vector<const imaging::FixedPixel*> pointers;
                for (int32_t k = 0; k < taps; ++k)
                    pointers.push_back(rows.emplace_back(RandomPremultiplied(random, static_cast<size_t>(width))).data());
                const std::vector<int16_t> weights = RandomWeights(random, taps, true);
                std::vector<imaging::FixedPixel> plain(static_cast<size_t>(width));
                std::vector<imaging::FixedPixel> mirrored = MarkedRow(plain.size());
                kernels.rows(pointers.data(), weights.data(), taps, width, plain.data());
                kernels.mirroredRows(pointers.data(), weights.data(), taps, width, mirrored.data());
                ASSERT_TRUE(SamePixels(mirrored, plain))
                    << "path " << static_cast<int>(path) << ", " << taps << " taps, " << width << " pixels";
            }
    }
}

// 2 x 2 box averages, the four largest lanes included, at every width
// through the vector tails and an odd last column: the same on every path.
TEST(ResamplePaths, HalvingBoxGivesThePortableAverages) {
    std::mt19937 random(17);
    const imaging::ResampleKernels& portable = imaging::KernelsFor(SimdPath::kPortable);
    for (SimdPath path : Paths())
        for (int32_t columns = 1; columns <= 21; ++columns) {
            const auto upper = RandomPremultiplied(random, static_cast<size_t>(columns));
            const auto lower = RandomPremultiplied(random, static_cast<size_t>(columns));
            const size_t half = static_cast<size_t>(columns + 1) / 2;
            std::vector<imaging::FixedPixel> expected(half);
            std::vector<imaging::FixedPixel> actual = MarkedRow(half);
            portable.halve(upper.data(), lower.data(), columns, expected.data());
            imaging::KernelsFor(path).halve(upper.data(), lower.data(), columns, actual.data());
            ASSERT_TRUE(SamePixels(actual, expected)) << "path " << static_cast<int>(path) << ", " << columns << " columns";
        }
}

// A run of target pixels sharing one set of weights, two source pixels
// apart, against the same pixels gathered one by one with the general
// horizontal pass: at every run length across the vector widths and their
// tails, for the unrolled tap counts and one that is not, on every path.
TEST(ResamplePaths, HalvingRunGivesWhatGatheringEachPixelGives) {
    std::mt19937 random(11);
    for (SimdPath path : Paths()) {
        const imaging::ResampleKernels& kernels = imaging::KernelsFor(path);
        for (int32_t taps : {4, 8, 12, 16, 20})
            for (int32_t width = 1; width <= 13; ++width) {
                const std::vector<imaging::FixedPixel> in = RandomPremultiplied(random, static_cast<size_t>(2 * width + taps + 1));
                const std::vector<int16_t> weights = RandomWeights(random, taps, false);
                std::vector<int32_t> first(static_cast<size_t>(width));
                std::vector<int16_t> pairs(static_cast<size_t>(width) * taps * 4);
                for (int32_t d = 0; d < width; ++d) {
                    first[d] = 2 * d;
                    for (int32_t k = 0; k < taps; ++k)
                        for (int copy = 0; copy < 4; ++copy)
                            pairs[static_cast<size_t>(d) * taps * 4 + (k / 2) * 8 + copy * 2 + k % 2] = weights[k];
                }
                std::vector<uint8_t> gathered(static_cast<size_t>(width) * 4);
                std::vector<uint8_t> shared(gathered.size() + 1, 0xAA);  // one byte past the end must stay
                kernels.columns(in.data(), first.data(), pairs.data(), taps, width, gathered.data());
                kernels.halvingColumns(in.data(), weights.data(), taps, width, shared.data());
                EXPECT_EQ(shared.back(), 0xAA);
                shared.pop_back();
                ASSERT_EQ(shared, gathered) << "path " << static_cast<int>(path) << ", " << taps << " taps, "
                                            << width << " pixels";
            }
    }
}

// Alpha straddling both thresholds, at every length up to a few registers
// past the widest one, so each tail is taken.
TEST(ResamplePaths, MaskMarksAlphaBelowTheThresholdOnEveryPath) {
    std::mt19937 random(7);
    static constexpr uint8_t kAlphas[] = {0, 1, 2, 125, 126, 127, 128, 254, 255};
    for (SimdPath path : Paths()) {
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
