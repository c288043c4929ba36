// File layout: directory, entries, bitmap headers and sizes, checked against
// fixed numbers of the format.
#include "IconTestImages.h"

#include <gtest/gtest.h>

using namespace icofile;
using namespace icotest;

namespace {

struct SingleCase {
    int32_t edge;
    uint32_t colourCount;
    uint16_t bits;
    uint32_t bytesInResource;
    uint8_t entryColourCount;
    uint32_t clrUsed;
};

class SingleImageLayout : public ::testing::TestWithParam<SingleCase> {};

TEST_P(SingleImageLayout, HeaderEntryAndLength) {
    const SingleCase c = GetParam();
    const std::vector<uint8_t> icon = IconBytes(GradientImage(c.edge), {c.colourCount});

    EXPECT_EQ(U16(icon, 0), 0);
    EXPECT_EQ(U16(icon, 2), 1);
    EXPECT_EQ(U16(icon, 4), 1);
    const Entry e = ReadEntry(icon, 0);
    EXPECT_EQ(e.width, c.edge & 0xFF);
    EXPECT_EQ(e.height, c.edge & 0xFF);
    EXPECT_EQ(e.colourCount, c.entryColourCount);
    EXPECT_EQ(e.reserved, 0);
    EXPECT_EQ(e.planes, 1);
    EXPECT_EQ(e.bitCount, c.bits);
    EXPECT_EQ(e.length, c.bytesInResource);
    EXPECT_EQ(e.offset, 22u);
    EXPECT_EQ(icon.size(), 22u + c.bytesInResource);

    const size_t h = 22;
    EXPECT_EQ(U32(icon, h + 0), 40u);
    EXPECT_EQ(static_cast<int32_t>(U32(icon, h + 4)), c.edge);
    EXPECT_EQ(static_cast<int32_t>(U32(icon, h + 8)), 2 * c.edge);
    EXPECT_EQ(U16(icon, h + 12), 1);
    EXPECT_EQ(U16(icon, h + 14), c.bits);
    EXPECT_EQ(U32(icon, h + 16), 0u);  // uncompressed
    EXPECT_EQ(U32(icon, h + 20), 0u);  // image size left 0
    EXPECT_EQ(U32(icon, h + 24), 0u);
    EXPECT_EQ(U32(icon, h + 28), 0u);
    EXPECT_EQ(U32(icon, h + 32), c.clrUsed);
    EXPECT_EQ(U32(icon, h + 36), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    KnownSizes, SingleImageLayout,
    ::testing::Values(SingleCase{16, kColours32Bit, 32, 1128, 0, 0},    // 40 + 1024 + 64
                      SingleCase{16, kColours4Bit, 4, 296, 16, 16},      // 104 + 128 + 64
                      SingleCase{16, kColours8Bit, 8, 1384, 0, 256},     // 1064 + 256 + 64
                      SingleCase{16, kColours16Bit, 16, 616, 0, 0},      // 40 + 512 + 64, no table
                      SingleCase{48, kColours24Bit, 24, 7336, 0, 0},     // 40 + 144 x 48 + 8 x 48
                      SingleCase{256, kColours32Bit, 32, 270376, 0, 0},
                      SingleCase{1, kColours32Bit, 32, 48, 0, 0},        // 40 + 4 + 4
                      SingleCase{257, kColours32Bit, 32, 40 + 257 * 1028 + 257 * 36, 0, 0}));

TEST(IconLayout, TwentyFourBitRowsArePaddedToFourBytes) {
    // 48 pixels x 3 bytes = 144, already aligned; 10 pixels take 30 -> 32.
    EXPECT_EQ(RowBytes(48, 24), 144u);
    EXPECT_EQ(RowBytes(10, 24), 32u);
    const std::vector<uint8_t> icon = IconBytes(GradientImage(10), {kColours24Bit});
    const size_t rows = 22 + 40;
    for (size_t y = 0; y < 10; ++y) {
        EXPECT_EQ(icon.at(rows + y * 32 + 30), 0) << "row " << y;
        EXPECT_EQ(icon.at(rows + y * 32 + 31), 0) << "row " << y;
    }
}

TEST(IconLayout, SevenWindowSizesAt32Bits) {
    const std::vector<int32_t> edges = {16, 32, 48, 64, 72, 96, 128};
    std::vector<TestImage> images;
    for (int32_t e : edges)
        images.push_back(GradientImage(e));
    IconFile file;
    file.imageCount = 7;
    std::vector<uint8_t> icon;
    ASSERT_TRUE(CreateIconBuffer(file, icon));
    EXPECT_EQ(icon.size(), 118u);
    for (uint32_t i = 0; i < 7; ++i) {
        const IconImage img = images[i].at(i, kColours32Bit);
        ASSERT_TRUE(WriteIconImage(file, img));
    }
    ASSERT_TRUE(CloseIconFile(file));
    const uint32_t offsets[] = {118, 1246, 5510, 15150, 32086, 53726, 91782};
    const uint32_t lengths[] = {1128, 4264, 9640, 16936, 21640, 38056, 67624};
    for (uint32_t i = 0; i < 7; ++i) {
        EXPECT_EQ(ReadEntry(icon, i).offset, offsets[i]) << i;
        EXPECT_EQ(ReadEntry(icon, i).length, lengths[i]) << i;
    }
    EXPECT_EQ(icon.size(), 159406u);
}

TEST(IconLayout, DuplicatesKeptInOrderAndUnwrittenEntriesStayZero) {
    const TestImage image = GradientImage(16);
    IconFile file;
    file.imageCount = 4;
    std::vector<uint8_t> icon;
    ASSERT_TRUE(CreateIconBuffer(file, icon));
    // Entry 2 is written first: data goes in call order, entries by index.
    const IconImage second = image.at(2, kColours4Bit);
    const IconImage first = image.at(0, kColours4Bit);
    ASSERT_TRUE(WriteIconImage(file, second));
    ASSERT_TRUE(WriteIconImage(file, first));
    ASSERT_TRUE(CloseIconFile(file));

    EXPECT_EQ(ReadEntry(icon, 2).offset, 70u);
    EXPECT_EQ(ReadEntry(icon, 0).offset, 70u + 296u);
    EXPECT_EQ(Slice(icon, 70, 296), Slice(icon, 366, 296));
    const std::vector<uint8_t> zeros(16, 0);
    EXPECT_EQ(Slice(icon, 6 + 16, 16), zeros);
    EXPECT_EQ(Slice(icon, 6 + 48, 16), zeros);
    EXPECT_EQ(icon.size(), 70u + 2 * 296u);
}

TEST(IconLayout, ImageCountStoredInSixteenBits) {
    IconFile file;
    file.imageCount = kMaxImageCount;
    std::vector<uint8_t> icon;
    ASSERT_TRUE(CreateIconBuffer(file, icon));
    EXPECT_EQ(U16(icon, 4), 0xFFFF);
    EXPECT_EQ(icon.size(), 6u + 16u * 0xFFFF);
    ASSERT_TRUE(CloseIconFile(file));
    // More would wrap the count and misplace every entry.
    file.imageCount = kMaxImageCount + 1;
    EXPECT_FALSE(CreateIconBuffer(file, icon));
}

struct HeaderCase {
    uint32_t colourCount;
    uint16_t bits;
    uint32_t clrUsed;
    uint32_t headerAndTable;
};

class DepthChoice : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DepthChoice, ColourCountSelectsBitsAndTable) {
    const HeaderCase c = GetParam();
    const TestImage image = GradientImage(10);
    const BitmapInfoHeader h = PrepareImageHeader(image.colour, c.colourCount);
    EXPECT_EQ(h.biBitCount, c.bits);
    EXPECT_EQ(h.biClrUsed, c.clrUsed);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biHeight, 10);
    EXPECT_EQ(h.biSizeImage, RowBytes(10, c.bits) * 10);
    const ImageMeasure m = MeasureImageData(image.colour, c.colourCount);
    EXPECT_EQ(m.headerAndTable, c.headerAndTable);
    EXPECT_EQ(m.pixels, h.biSizeImage);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, DepthChoice,
    ::testing::Values(HeaderCase{2, 1, 0, 48}, HeaderCase{3, 4, 3, 52}, HeaderCase{16, 4, 16, 104},
                      HeaderCase{17, 8, 17, 108}, HeaderCase{256, 8, 256, 1064}, HeaderCase{257, 16, 0, 40},
                      HeaderCase{65536, 16, 0, 40}, HeaderCase{65537, 24, 0, 40},
                      HeaderCase{16777216, 24, 0, 40}, HeaderCase{16777217, 32, 0, 40}, HeaderCase{0, 32, 0, 40},
                      HeaderCase{1, 32, 0, 40}, HeaderCase{0x80000010u, 32, 0, 40}));

TEST(IconLayout, MaskMeasuresOneBitWithTwoEntryTable) {
    const TestImage image = GradientImage(33);
    const BitmapInfoHeader h = PrepareImageHeader(image.mask, 2);
    EXPECT_EQ(h.biBitCount, 1);
    EXPECT_EQ(h.biPlanes, 1);
    const ImageMeasure m = MeasureImageData(image.mask, 2);
    EXPECT_EQ(m.headerAndTable, 48u);
    EXPECT_EQ(m.pixels, 8u * 33u);  // 33 bits padded to 8 bytes
}

TEST(IconLayout, ResolutionTakenFromColourBitmap) {
    TestImage image = GradientImage(4);
    image.colour.xPelsPerMeter = 3780;
    image.colour.yPelsPerMeter = -7;
    const std::vector<uint8_t> icon = IconBytes(image, {kColours8Bit});
    EXPECT_EQ(U32(icon, 22 + 24), 3780u);
    EXPECT_EQ(static_cast<int32_t>(U32(icon, 22 + 28)), -7);
}

} // namespace
