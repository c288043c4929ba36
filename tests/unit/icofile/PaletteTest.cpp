// Palettes of 4- and 8-bit images: exact when the colours fit, adaptive
// otherwise, black at entry 0 for transparent pixels, nearest-entry mapping,
// and the same bytes on every run.
#include "IconTestImages.h"

#include "libs/icofile/ColourReduction.h"
#include "libs/icofile/NearestColour.h"
#include "libs/icofile/QuantiserLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

using namespace icofile;
using namespace icotest;

namespace {

Rgb ColourAt(const TestImage& image, size_t i) {
    const uint8_t* p = image.colour.bgra.data() + 4 * i;
    return Rgb{p[2]} << 16 | Rgb{p[1]} << 8 | p[0];
}

int MaxChannelError(Rgb a, Rgb b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

// `distinct` opaque colours scattered over the cube (none black unless
// `withBlack`, which makes the first one black), every `transparentEvery`-th
// pixel transparent (0: none).
TestImage ManyColours(int32_t edge, int distinct, int transparentEvery, bool withBlack = false) {
    return MakeImage(edge, [=](int32_t x, int32_t y) {
        const int i = y * edge + x;
        const uint32_t k = static_cast<uint32_t>(i % distinct);
        const uint32_t h = (k + 1) * 0x9E3779B1u;
        Pixel p{static_cast<uint8_t>(h >> 24), static_cast<uint8_t>(h >> 16), static_cast<uint8_t>(h >> 8), 255,
                false};
        if (withBlack && k == 0)
            p = {0, 0, 0, 255, false};
        if (transparentEvery > 0 && i % transparentEvery == 1)
            p = {9, 9, 9, 0, true};
        return p;
    });
}

TEST(Palette, FewColoursKeptExactlyAndSorted) {
    const TestImage image = ManyColours(8, 16, 0);
    const IndexedImage reduced = ReduceToPalette(image.colour, image.mask, 16);
    ASSERT_EQ(reduced.palette.size(), 16u);
    EXPECT_TRUE(std::is_sorted(reduced.palette.begin(), reduced.palette.end()));
    for (size_t i = 0; i < reduced.indices.size(); ++i)
        EXPECT_EQ(reduced.palette[reduced.indices[i]], ColourAt(image, i)) << i;
}

TEST(Palette, OpaqueBlackSharesTheTransparentEntry) {
    // 15 colours plus black fit 16 entries, black serving both.
    const TestImage image = ManyColours(8, 16, 5, true);
    const IndexedImage reduced = ReduceToPalette(image.colour, image.mask, 16);
    EXPECT_EQ(reduced.palette.front(), 0u);
    for (size_t i = 0; i < reduced.indices.size(); ++i) {
        if (image.mask.transparent[i]) {
            EXPECT_EQ(reduced.indices[i], 0) << i;
        } else {
            EXPECT_EQ(reduced.palette[reduced.indices[i]], ColourAt(image, i)) << i;
        }
    }
}

struct QuantiseCase {
    int32_t edge;
    uint32_t entries;
    int distinct;
    int transparentEvery;
    int maxError;     // largest channel error allowed for any pixel
    double meanError; // and on average over the opaque pixels
};

class Quantised : public ::testing::TestWithParam<QuantiseCase> {};

TEST_P(Quantised, BlackFirstTransparentZeroAndNearEnough) {
    const QuantiseCase c = GetParam();
    const TestImage image = ManyColours(c.edge, c.distinct, c.transparentEvery);
    const IndexedImage reduced = ReduceToPalette(image.colour, image.mask, c.entries);
    ASSERT_LE(reduced.palette.size(), c.entries);
    ASSERT_GE(reduced.palette.size(), c.entries / 2);  // the quantiser uses its room
    EXPECT_TRUE(std::is_sorted(reduced.palette.begin(), reduced.palette.end()));
    if (c.transparentEvery > 0) {
        EXPECT_EQ(reduced.palette.front(), 0u);
    }
    const NearestColour nearest(reduced.palette);
    double errorSum = 0;
    size_t opaque = 0;
    for (size_t i = 0; i < reduced.indices.size(); ++i) {
        if (image.mask.transparent[i]) {
            ASSERT_EQ(reduced.indices[i], 0) << i;
            continue;
        }
        ASSERT_LT(reduced.indices[i], reduced.palette.size());
        // Each pixel takes the nearest entry the palette has...
        ASSERT_EQ(reduced.indices[i], nearest.find(ColourAt(image, i))) << i;
        // ...and the palette follows the picture's colours.
        const int error = MaxChannelError(reduced.palette[reduced.indices[i]], ColourAt(image, i));
        ASSERT_LE(error, c.maxError) << i;
        errorSum += error;
        ++opaque;
    }
    EXPECT_LE(errorSum / static_cast<double>(opaque), c.meanError);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Quantised,
                         ::testing::Values(QuantiseCase{64, 16, 17, 0, 48, 6},  // one too many
                                           QuantiseCase{64, 16, 16, 7, 48, 6},  // black makes 17
                                           QuantiseCase{64, 256, 300, 0, 40, 8},
                                           QuantiseCase{64, 256, 4096, 3, 72, 24},
                                           // more colours than the quantiser takes at once
                                           QuantiseCase{300, 256, 90000, 0, 72, 24}));

// Opened by name at run time, so a wrong name or a missing function shows
// only here: palettes would quietly fall back to the most frequent colours.
// The OpenMP controls must come with it, or the palette could depend on the
// number of cores.
TEST(Palette, QuantiserLibraryLoadsWithItsThreadControls) {
    const QuantiserLibrary* q = Quantiser();
    ASSERT_NE(q, nullptr);
    EXPECT_NE(q->ompSetNumThreads, nullptr);
    EXPECT_NE(q->ompGetMaxThreads, nullptr);
}

TEST(Palette, SameInputSameBytes) {
    // Thousands of colours drive the quantiser through its multi-threaded parts.
    const TestImage image = GradientImage(128);
    for (uint32_t count : {kColours4Bit, kColours8Bit}) {
        const std::vector<uint8_t> first = EncodeImageData(image.colour, image.mask, count);
        ASSERT_FALSE(first.empty());
        for (int run = 0; run < 3; ++run)
            EXPECT_EQ(EncodeImageData(image.colour, image.mask, count), first) << count;
    }
}

TEST(Palette, NearestMatchesExhaustiveSearch) {
    std::mt19937 random(12345);
    for (int round = 0; round < 20; ++round) {
        std::vector<Rgb> palette(1 + random() % 40);
        for (Rgb& c : palette)
            c = random() % 4 == 0 ? palette.front() : random() & 0xFFFFFF;  // some duplicates
        std::sort(palette.begin(), palette.end());
        const NearestColour nearest(palette);
        for (int probe = 0; probe < 500; ++probe) {
            const Rgb colour = random() & 0xFFFFFF;
            uint32_t best = 0;
            int bestDistance = 1 << 30;
            for (uint32_t i = 0; i < palette.size(); ++i) {
                const int dr = static_cast<int>((palette[i] >> 16) & 0xFF) - static_cast<int>((colour >> 16) & 0xFF);
                const int dg = static_cast<int>((palette[i] >> 8) & 0xFF) - static_cast<int>((colour >> 8) & 0xFF);
                const int db = static_cast<int>(palette[i] & 0xFF) - static_cast<int>(colour & 0xFF);
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            ASSERT_EQ(nearest.find(colour), best) << std::hex << colour;
        }
    }
}

TEST(Palette, OneBitImageWithTransparency) {
    // Two entries: black for the transparent pixels, the commonest colour.
    const TestImage image = ManyColours(4, 3, 4);
    const std::vector<uint8_t> data = EncodeImageData(image.colour, image.mask, 2);
    ASSERT_EQ(data.size(), 40u + 8u + 4 * 4u + 4 * 4u);
    EXPECT_EQ(U16(data, 14), 1);
    EXPECT_EQ(Slice(data, 40, 4), (std::vector<uint8_t>{0, 0, 0, 0}));
}

} // namespace
