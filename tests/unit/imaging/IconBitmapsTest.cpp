// The colour bitmap and mask of one icon image: stretching, the mask's alpha
// thresholds per depth, the limits on sizes and depths, and the image as the
// ICO writer stores it.

#include "TestPictures.h"

#include "libs/imaging/Imaging.h"
#include "libs/imaging/SourcePicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

using imaging::SourcePicture;
using imagingtest::Filled;
using imagingtest::MakePattern;
using imagingtest::Pattern;
using imagingtest::Picture;

namespace {

std::unique_ptr<SourcePicture> Source(const Picture& p) {
    auto source = SourcePicture::Copy(p.bgra.data(), p.width, p.height, ptrdiff_t{4} * p.width);
    EXPECT_TRUE(source);
    return source;
}

struct Bitmaps {
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
};

Bitmaps Make(SourcePicture& source, int32_t size, int32_t depth) {
    Bitmaps b;
    EXPECT_TRUE(imaging::MakeIconBitmaps(source, size, depth, b.colour, b.mask)) << size << " at " << depth;
    return b;
}

TEST(ColourCount, ByDepth) {
    EXPECT_EQ(imaging::ColourCountForDepth(4), 16u);
    EXPECT_EQ(imaging::ColourCountForDepth(8), 256u);
    EXPECT_EQ(imaging::ColourCountForDepth(16), 65536u);
    EXPECT_EQ(imaging::ColourCountForDepth(24), 16777216u);
    EXPECT_EQ(imaging::ColourCountForDepth(32), 0u);
}

class MaskThreshold : public ::testing::TestWithParam<int32_t> {};

// Columns of alpha 0, 1, 126, 127 and 255 at the picture's own size, so
// they reach the mask unchanged: with alpha stored only alpha 0 is masked,
// without it everything below 127 is.
TEST_P(MaskThreshold, AlphaLimitByDepth) {
    const int32_t depth = GetParam();
    const uint8_t alphas[] = {0, 1, 126, 127, 255};
    Picture p(5, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            p.set(x, y, 10, 20, 30, alphas[x]);
    auto source = Source(p);
    const Bitmaps b = Make(*source, 5, depth);
    ASSERT_EQ(b.mask.width, 5);
    ASSERT_EQ(b.mask.height, 5);
    const uint8_t expected32[] = {1, 0, 0, 0, 0};
    const uint8_t expectedOther[] = {1, 1, 1, 0, 0};
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const uint8_t want = depth == 32 ? expected32[x] : expectedOther[x];
            EXPECT_EQ(b.mask.transparent[y * 5 + x] != 0, want != 0) << "x " << x << " depth " << depth;
        }
}

INSTANTIATE_TEST_SUITE_P(Depths, MaskThreshold, ::testing::Values(4, 8, 16, 24, 32));

class MaskWholePicture : public ::testing::TestWithParam<std::tuple<int32_t, int32_t>> {};

// Bicubic overshoot must neither make opaque pixels transparent nor
// transparent ones visible, up or down.
TEST_P(MaskWholePicture, OpaqueGivesNoMaskAndTransparentGivesAllMask) {
    const auto [size, depth] = GetParam();
    auto opaque = Source(MakePattern(Pattern::Gradient, 100, 60));
    const Bitmaps o = Make(*opaque, size, depth);
    ASSERT_EQ(o.mask.transparent.size(), static_cast<size_t>(size) * size);
    for (size_t i = 0; i < o.mask.transparent.size(); ++i) {
        ASSERT_EQ(o.mask.transparent[i], 0) << i;
        ASSERT_EQ(o.colour.bgra[4 * i + 3], 255) << i;
    }
    auto clear = Source(Filled(100, 60, 90, 80, 70, 0));
    const Bitmaps c = Make(*clear, size, depth);
    for (size_t i = 0; i < c.mask.transparent.size(); ++i) {
        ASSERT_NE(c.mask.transparent[i], 0) << i;
        ASSERT_EQ(c.colour.bgra[4 * i] | c.colour.bgra[4 * i + 1] | c.colour.bgra[4 * i + 2] |
                      c.colour.bgra[4 * i + 3],
                  0)
            << i;
    }
}

INSTANTIATE_TEST_SUITE_P(SizesAndDepths, MaskWholePicture,
                         ::testing::Combine(::testing::Values(1, 7, 16, 48, 100, 256),
                                            ::testing::Values(4, 8, 16, 24, 32)));

// Squeezed to the square, straight (not premultiplied) alpha, no resolution.
TEST(IconBitmaps, ColourBitmapIsSquareStraightAndResolutionFree) {
    auto source = Source(Filled(100, 50, 50, 100, 200, 128));
    const Bitmaps b = Make(*source, 32, 32);
    EXPECT_EQ(b.colour.width, 32);
    EXPECT_EQ(b.colour.height, 32);
    EXPECT_EQ(b.colour.xPelsPerMeter, 0);
    EXPECT_EQ(b.colour.yPelsPerMeter, 0);
    ASSERT_EQ(b.colour.bgra.size(), 32u * 32u * 4u);
    for (size_t i = 0; i < b.colour.bgra.size(); i += 4) {
        const uint8_t want[4] = {50, 100, 200, 128};
        ASSERT_EQ(0, std::memcmp(&b.colour.bgra[i], want, 4)) << i / 4;
    }
}

TEST(IconBitmaps, SizeAndDepthLimits) {
    auto source = Source(Filled(3, 3, 1, 2, 3, 255));
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
    for (int32_t size : {0, -1, -2147483647 - 1, icofile::kMaxEdgeLength + 1, 2147483647})
        EXPECT_FALSE(imaging::MakeIconBitmaps(*source, size, 32, colour, mask)) << size;
    for (int32_t depth : {0, 1, 2, 15, 33, -32})
        EXPECT_FALSE(imaging::MakeIconBitmaps(*source, 16, depth, colour, mask)) << depth;
    ASSERT_TRUE(imaging::MakeIconBitmaps(*source, icofile::kMaxEdgeLength, 24, colour, mask));
    EXPECT_EQ(colour.width, icofile::kMaxEdgeLength);
    EXPECT_EQ(mask.transparent.size(), static_cast<size_t>(icofile::kMaxEdgeLength) * icofile::kMaxEdgeLength);
    EXPECT_EQ(colour.bgra[0], 1);
    EXPECT_EQ(colour.bgra.back(), 255);
}

// One image through the writer: left half transparent, right half opaque
// red, at its own size, so every stored byte is known.
TEST(AddIconImage, StoresColourAndMaskRows) {
    Picture p(8, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            x < 4 ? p.set(x, y, 0, 255, 0, 0) : p.set(x, y, 0, 0, 255, 255);
    auto source = Source(p);
    icofile::IconFile file;
    file.imageCount = 2;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(icofile::CreateIconBuffer(file, bytes));
    ASSERT_TRUE(imaging::AddIconImage(file, 0, *source, 8, 32));
    ASSERT_TRUE(imaging::AddIconImage(file, 1, *source, 8, 24));
    EXPECT_EQ(imaging::AddIconImage(file, 1, *source, 0, 24).error(), icofile::IconError::kBadEdgeLength);
    EXPECT_EQ(imaging::AddIconImage(file, 1, *source, 8, 12).error(), icofile::IconError::kBadDepth);
    ASSERT_TRUE(icofile::CloseIconFile(file));

    const size_t first = 6 + 2 * 16;
    const size_t colourRows = first + 40;
    ASSERT_GE(bytes.size(), colourRows + 8 * 32 + 8 * 4);
    EXPECT_EQ(bytes[6], 8);       // width
    EXPECT_EQ(bytes[6 + 6], 32);  // bit count
    EXPECT_EQ(bytes[22 + 6], 24);
    const uint8_t transparent[4] = {0, 0, 0, 0};
    const uint8_t red[4] = {0, 0, 255, 255};
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(0, std::memcmp(&bytes[colourRows + 4 * x], x < 4 ? transparent : red, 4)) << x;
    const size_t maskRows = colourRows + 8 * 32;
    for (int32_t y = 0; y < 8; ++y) {
        EXPECT_EQ(bytes[maskRows + 4 * y], 0xF0) << y;
        EXPECT_EQ(bytes[maskRows + 4 * y + 1], 0) << y;
    }
}

} // namespace
