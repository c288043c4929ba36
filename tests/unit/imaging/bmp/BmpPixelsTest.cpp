// What each kind of BMP decodes to, pixel by pixel, against literal values:
// every header, depth and compression; fields widened by repeating their
// high bits; colour tables short or full; RLE runs, deltas and the pixels
// they never reach; alpha from alpha fields only.

#include "BmpTestDecode.h"
#include "BmpWriter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using bmptest::BmpPlan;
using bmptest::Decode;
using bmptest::PackRows;
using imaging::bmp::BmpError;

constexpr uint32_t kBlack = 0xFF000000;

BmpPlan Plan(int32_t width, int32_t height, uint16_t bits, const std::vector<std::vector<uint32_t>>& rows) {
    BmpPlan s;
    s.width = width;
    s.height = height;
    s.bitCount = bits;
    s.pixelData = PackRows(rows, bits);
    return s;
}

// Decodes and compares with the expected 0xAARRGGBB words, rows top first.
void ExpectPixels(const BmpPlan& plan, const std::vector<uint32_t>& expected) {
    const bmptest::Decoded d = Decode(bmptest::WriteBmp(plan));
    ASSERT_EQ(d.error, BmpError::kOk) << imaging::bmp::BmpErrorName(d.error);
    ASSERT_EQ(d.pixels.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(d.pixels[i], expected[i]) << "pixel " << i % d.header.width << "," << i / d.header.width;
}

TEST(BmpWiden, RepeatsHighBitsLikeWindows) {
    struct Row {
        int bits;
        uint32_t value;
        uint8_t widened;
    };
    const Row rows[] = {
        {5, 0, 0},     {5, 1, 8},     {5, 16, 132},  {5, 24, 198},   {5, 30, 247},  {5, 31, 255},
        {6, 1, 4},     {6, 24, 97},   {6, 32, 130},  {6, 63, 255},   {1, 1, 255},   {2, 1, 85},
        {2, 2, 170},   {3, 5, 182},   {4, 9, 153},   {7, 100, 201},  {8, 200, 200}, {10, 512, 128},
        {10, 1023, 255}, {11, 1024, 128}, {0, 0, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(imaging::bmp::WidenField(r.value, r.bits), r.widened) << r.bits << " bits, " << r.value;
}

TEST(BmpPixels, Rgb555WidensAndIgnoresTopBit) {
    // 24/24/24 must not land on the mask colour 0xC0C0C0; the top bit is unused.
    BmpPlan s = Plan(4, 1, 16, {{0x6318, 0x7FFF, 0x8000, 0x7C00 | 0x0001}});
    ExpectPixels(s, {0xFFC6C6C6, 0xFFFFFFFF, kBlack, 0xFFFF0008});
}

// From 65536 pixels on, 16-bit values go through a table: the same colours.
TEST(BmpPixels, LargeSixteenBitPicturesWidenTheSame) {
    std::vector<std::vector<uint32_t>> rows(256);
    for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 256; ++x)
            rows[y].push_back(y << 8 | x);  // every 16-bit value once, top-down
    const bmptest::Decoded d = Decode(bmptest::WriteBmp(Plan(256, -256, 16, rows)));
    ASSERT_EQ(d.error, BmpError::kOk);
    EXPECT_EQ(d.at(0x18, 0x63), 0xFFC6C6C6u);  // 0x6318
    EXPECT_EQ(d.at(0xFF, 0x7F), 0xFFFFFFFFu);  // 0x7FFF
    EXPECT_EQ(d.at(0x01, 0xFC), 0xFFFF0008u);  // 0xFC01: top bit unused
    EXPECT_EQ(d.at(0x00, 0x80), kBlack);       // 0x8000
}

TEST(BmpPixels, BitFields565AfterInfoHeaderAnd52ByteHeader) {
    for (const uint32_t infoSize : {40u, 52u, 108u}) {
        BmpPlan s = Plan(3, 1, 16, {{0xFFFF, 0x0400, 0xC000}});
        s.infoSize = infoSize;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        SCOPED_TRACE(infoSize);
        ExpectPixels(s, {0xFFFFFFFF, 0xFF008200, 0xFFC60000});
    }
}

TEST(BmpPixels, BitFieldsWiderThanEightBitsKeepTheirTop) {
    BmpPlan s = Plan(2, 1, 32, {{0xFFFFFFFF, (0x200u << 21) | (0x1FFu << 10) | 0x3FF}});
    s.compression = 3;
    s.masks = {0xFFE00000, 0x001FFC00, 0x000003FF};  // 11, 11, 10 bits
    ExpectPixels(s, {0xFFFFFFFF, 0xFF403FFF});
}

TEST(BmpPixels, AlphaOnlyFromAlphaFields) {
    const std::vector<std::vector<uint32_t>> rows = {{0x80112233, 0x00445566}};
    BmpPlan rgb = Plan(2, 1, 32, rows);  // fourth byte of BI_RGB: ignored
    ExpectPixels(rgb, {0xFF112233, 0xFF445566});
    BmpPlan v5 = rgb;
    v5.infoSize = 124;
    v5.compression = 3;
    v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    ExpectPixels(v5, {0x80112233, 0x00445566});
    BmpPlan alphaFields = rgb;  // BI_ALPHABITFIELDS after a 40-byte header, alpha in the low byte
    alphaFields.compression = 6;
    alphaFields.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    ExpectPixels(alphaFields, {0x33801122, 0x66004455});
    BmpPlan v4NoAlpha = v5;  // an alpha field with no mask bits: opaque
    v4NoAlpha.infoSize = 108;
    v4NoAlpha.masks[3] = 0;
    ExpectPixels(v4NoAlpha, {0xFF112233, 0xFF445566});
}

TEST(BmpPixels, AlphaFieldZeroEverywhereIsOpaqueButOneNonZeroKeepsIt) {
    BmpPlan s = Plan(2, 1, 16, {{0x0F00, 0x000F}});
    s.infoSize = 56;
    s.compression = 3;
    s.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    ExpectPixels(s, {0xFFFF0000, 0xFF0000FF});
    s.pixelData = PackRows({{0x0F00, 0x100F}}, 16);
    ExpectPixels(s, {0x00FF0000, 0x110000FF});
}

TEST(BmpPixels, TwentyFourBitsBottomUpAndTopDown) {
    const std::vector<std::vector<uint32_t>> rows = {{0x010203, 0x040506, 0x070809}, {0x0A0B0C, 0x0D0E0F, 0x101112}};
    ExpectPixels(Plan(3, 2, 24, rows),
                 {0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112, 0xFF010203, 0xFF040506, 0xFF070809});
    ExpectPixels(Plan(3, -2, 24, rows),
                 {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112});
}

TEST(BmpPixels, IndexedDepthsAcrossByteBoundaries) {
    // RampPalette entry i is blue i, green 2i, red 3i.
    BmpPlan one = Plan(9, 1, 1, {{1, 0, 1, 1, 0, 0, 0, 1, 1}});
    one.palette = {{0, 0, 0, 0}, {0x10, 0x20, 0x30, 0x99}};  // the fourth byte is not alpha
    ExpectPixels(one, {0xFF302010, kBlack, 0xFF302010, 0xFF302010, kBlack, kBlack, kBlack, 0xFF302010, 0xFF302010});
    BmpPlan two = Plan(5, 1, 2, {{3, 2, 1, 0, 3}});
    two.palette = bmptest::RampPalette(4);
    ExpectPixels(two, {0xFF090603, 0xFF060402, 0xFF030201, kBlack, 0xFF090603});
    BmpPlan four = Plan(3, 1, 4, {{15, 1, 8}});
    four.palette = bmptest::RampPalette(16);
    ExpectPixels(four, {0xFF2D1E0F, 0xFF030201, 0xFF181008});
    BmpPlan eight = Plan(2, 1, 8, {{255, 100}});
    eight.palette = bmptest::RampPalette(256);
    ExpectPixels(eight, {0xFFFDFEFF, 0xFF2CC864});
}

TEST(BmpPixels, ShortColourTableIndicesBeyondItAreBlack) {
    BmpPlan s = Plan(4, 1, 8, {{2, 3, 200, 0}});
    s.palette = bmptest::RampPalette(3);
    s.coloursUsed = 3;
    ExpectPixels(s, {0xFF060402, kBlack, kBlack, kBlack});
    BmpPlan one = Plan(2, 1, 1, {{0, 1}});  // 1 entry of 2
    one.palette = {{9, 9, 9, 0}};
    one.coloursUsed = 1;
    ExpectPixels(one, {0xFF090909, kBlack});
}

TEST(BmpPixels, CoreHeaderWithThreeByteEntries) {
    BmpPlan s = Plan(3, 2, 8, {{0, 1, 2}, {255, 3, 1}});
    s.infoSize = 12;
    s.palette = bmptest::RampPalette(256);
    ExpectPixels(s, {0xFFFDFEFF, 0xFF090603, 0xFF030201, kBlack, 0xFF030201, 0xFF060402});
}

TEST(BmpPixels, PixelsAtTheOffsetNotAfterTheTable) {
    BmpPlan s = Plan(2, 1, 24, {{0x112233, 0x445566}});
    s.dataOffset = 54 + 10;
    ExpectPixels(s, {0xFF112233, 0xFF445566});
}

TEST(BmpPixels, LastRowMayLackItsPaddingButNotAPixelByte) {
    BmpPlan s = Plan(1, 2, 24, {{0x010203}, {0x040506}});
    std::vector<uint8_t> file = bmptest::WriteBmp(s);
    file.resize(file.size() - 1);  // padding byte
    EXPECT_EQ(Decode(file).error, BmpError::kOk);
    file.resize(file.size() - 1);  // the last pixel's red
    EXPECT_EQ(Decode(file).error, BmpError::kTruncated);
}

BmpPlan Rle(int width, int height, uint32_t compression, std::vector<uint8_t> codes) {
    BmpPlan s;
    s.width = width;
    s.height = height;
    s.bitCount = compression == 1 ? 8 : 4;
    s.compression = compression;
    s.palette = bmptest::RampPalette(compression == 1 ? 256 : 16);
    s.pixelData = std::move(codes);
    return s;
}

// Palette colours by index (blue i, green 2i, red 3i), for the RLE tables.
constexpr uint32_t P(uint32_t i) { return 0xFF000000 | (3 * i % 256) << 16 | (2 * i % 256) << 8 | i; }

TEST(BmpRle, Rle8RunsAbsoluteDeltaAndUnreachedPixels) {
    // Bottom row first: run of 2 x 5, absolute 3 (1, 2, 3) with a pad byte,
    // end of line; delta right 1, up 1 (to the top row), run of 1 x 7; end.
    ExpectPixels(Rle(5, 3, 1, {2, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 1, 7, 0, 1}),
                 {kBlack, P(7), kBlack, kBlack, kBlack,  // top row, reached by the delta
                  kBlack, kBlack, kBlack, kBlack, kBlack,  // never reached
                  P(5), P(5), P(1), P(2), P(3)});
}

TEST(BmpRle, RunsPastTheRowEndAreDroppedNotWrapped) {
    ExpectPixels(Rle(3, 2, 1, {5, 4, 0, 0, 0, 5, 9, 8, 7, 6, 5, 0, 0, 1}),
                 {P(9), P(8), P(7), P(4), P(4), P(4)});
}

TEST(BmpRle, Rle4NibblesHighFirst) {
    // Run of 3 alternating 1, 2; absolute 3 (4, 5, 6) in 2 bytes; end of line; run 4 x (7, 8).
    ExpectPixels(Rle(6, 2, 2, {3, 0x12, 0, 3, 0x45, 0x60, 0, 0, 4, 0x78, 0, 1}),
                 {P(7), P(8), P(7), P(8), kBlack, kBlack, P(1), P(2), P(1), P(4), P(5), P(6)});
}

TEST(BmpRle, CodesMayEndOnceEveryRowIsReached) {
    // Two end-of-lines finish both rows; no end-of-bitmap follows.
    ExpectPixels(Rle(1, 2, 1, {1, 3, 0, 0, 1, 4, 0, 0}), {P(4), P(3)});
    // One row short: refused.
    EXPECT_EQ(Decode(bmptest::WriteBmp(Rle(1, 2, 1, {1, 3, 0, 0, 1, 4}))).error, BmpError::kBadRle);
}

} // namespace
