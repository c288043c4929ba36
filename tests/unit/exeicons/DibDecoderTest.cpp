// Decoding icon DIBs into straight-alpha BGRA pixels, checked against
// concrete pixel values; and reading sizes from DIB and PNG headers.

#include "libs/exeicons/DibDecoder.h"
#include "libs/exeicons/IconImageInfo.h"
#include "samples/exewriter/IconFixtures.h"
#include "samples/exewriter/PngWriter.h"

#include <QImage>

#include <gtest/gtest.h>

#include <string>

using namespace exeicons;
using pewriter::DibSpec;
using pewriter::MakeIconDib;

namespace {

constexpr uint32_t kClear = 0x00000000;   // a transparent pixel, as decoded

// The decoded pixels as 0xAARRGGBB, top row first.
std::vector<uint32_t> Argb(const DecodedIcon& image) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 3 < image.bgra.size(); i += 4)
        out.push_back(uint32_t{image.bgra[i + 3]} << 24 | uint32_t{image.bgra[i + 2]} << 16 |
                      uint32_t{image.bgra[i + 1]} << 8 | image.bgra[i]);
    return out;
}

TEST(DibDecoder, HandWrittenOneBitImage) {
    // 2 x 2, 1 bit: palette red, blue; rows bottom first; mask clears the
    // bottom-left pixel.
    const std::vector<uint8_t> dib = {
        40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 1, 0,   // size, width, height x 2, planes, bits
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,    // compression, image size, resolution
        0, 0, 0, 0, 0, 0, 0, 0,                            // colours used, important
        0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0,          // palette: red, blue
        0x80, 0, 0, 0, 0x40, 0, 0, 0,                      // colour rows: bottom 1 0, top 0 1
        0x80, 0, 0, 0, 0x00, 0, 0, 0};                     // mask rows: bottom 1 0, top 0 0
    const auto result = DecodeDibIcon(dib);
    ASSERT_TRUE(result.ok()) << ErrorName(result.error);
    EXPECT_EQ(result.image.width, 2);
    EXPECT_EQ(result.image.height, 2);
    EXPECT_EQ(result.image.bgra, (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF,
                                                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF}));
}

struct DepthCase {
    uint16_t bits;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> pixels;     // 3 x 2, top row first
    std::vector<uint32_t> expected;   // 0xAARRGGBB; pixel 2 is masked
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.bits << " bits"; }

class Depths : public ::testing::TestWithParam<DepthCase> {};

// 3 pixels wide, so every depth has padded rows.
TEST_P(Depths, DecodeToExactPixelsAndApplyTheMask) {
    const DepthCase& c = GetParam();
    const auto dib = MakeIconDib(DibSpec{3, 2, c.bits, c.palette, c.pixels, {0, 0, 1, 0, 0, 0}, 0});
    const auto result = DecodeDibIcon(dib);
    ASSERT_TRUE(result.ok()) << ErrorName(result.error);
    EXPECT_EQ(Argb(result.image), c.expected);
}

std::vector<uint32_t> Palette8() {
    std::vector<uint32_t> p(256, 0);
    p[0] = 0x010203;
    p[1] = 0xFEDCBA;
    p[17] = 0x0000FF;
    p[128] = 0xABCDEF;
    p[200] = 0x123456;
    p[255] = 0x00FF00;
    return p;
}

std::vector<uint32_t> Palette4() {
    std::vector<uint32_t> p;
    for (uint32_t i = 0; i < 16; ++i)
        p.push_back(i * 0x111111);
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Dib, Depths,
    ::testing::Values(
        DepthCase{1, {0x102030, 0xA0B0C0}, {1, 0, 1, 0, 1, 1},
                  {0xFFA0B0C0, 0xFF102030, kClear, 0xFF102030, 0xFFA0B0C0, 0xFFA0B0C0}},
        DepthCase{4, Palette4(), {15, 0, 7, 3, 9, 12},
                  {0xFFFFFFFF, 0xFF000000, kClear, 0xFF333333, 0xFF999999, 0xFFCCCCCC}},
        DepthCase{8, Palette8(), {0, 255, 128, 1, 200, 17},
                  {0xFF010203, 0xFF00FF00, kClear, 0xFFFEDCBA, 0xFF123456, 0xFF0000FF}},
        DepthCase{16, {}, {0x7C00, 0x03E0, 0x001F, 0x4210, 0x0000, 0x7FFF},
                  {0xFFFF0000, 0xFF00FF00, kClear, 0xFF848484, 0xFF000000, 0xFFFFFFFF}},
        DepthCase{24, {}, {0x123456, 0xABCDEF, 0xFFFFFF, 0x000001, 0x7F7F7F, 0x010000},
                  {0xFF123456, 0xFFABCDEF, kClear, 0xFF000001, 0xFF7F7F7F, 0xFF010000}},
        // 32 bits whose alpha bytes are all 0: the mask decides.
        DepthCase{32, {}, {0x123456, 0xABCDEF, 0xFFFFFF, 0x000001, 0x7F7F7F, 0x010000},
                  {0xFF123456, 0xFFABCDEF, kClear, 0xFF000001, 0xFF7F7F7F, 0xFF010000}}),
    [](const auto& p) { return std::to_string(p.param.bits) + "Bits"; });

TEST(DibDecoder, ThirtyTwoBitAlphaIsKeptStraightAndTheMaskIgnored) {
    const auto dib = MakeIconDib(DibSpec{2, 1, 32, {}, {0x80102030, 0x01FFFFFF}, {1, 1}, 0});
    const auto result = DecodeDibIcon(dib);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.image.bgra, (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x80, 0xFF, 0xFF, 0xFF, 0x01}));
}

TEST(DibDecoder, IndexPastTheColourTableIsOpaqueBlack) {
    const auto dib = MakeIconDib(DibSpec{2, 1, 4, {0xFFFFFF, 0x808080}, {1, 5}, {}, 2});
    const auto result = DecodeDibIcon(dib);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(Argb(result.image), (std::vector<uint32_t>{0xFF808080, 0xFF000000}));
}

TEST(DibDecoder, MaskRowsWiderThanOneWord) {
    std::vector<uint8_t> mask(33, 0);
    mask[32] = 1;
    const auto dib = MakeIconDib(DibSpec{33, 1, 24, {}, std::vector<uint32_t>(33, 0x445566), mask, 0});
    const auto result = DecodeDibIcon(dib);
    ASSERT_TRUE(result.ok());
    const auto pixels = Argb(result.image);
    EXPECT_EQ(pixels[31], 0xFF445566u);
    EXPECT_EQ(pixels[32], kClear);
}

TEST(DibDecoder, EveryPrefixIsRefusedCleanly) {
    const auto dib = pewriter::MakeSolidDib(5, 3, 8, 0x123456);
    for (size_t length = 0; length < dib.size(); ++length) {
        const auto result = DecodeDibIcon(std::span<const uint8_t>(dib.data(), length));
        ASSERT_FALSE(result.ok()) << length;
        ASSERT_TRUE(result.error == ExeIconError::kNotDib || result.error == ExeIconError::kTruncatedImage) << length;
    }
    EXPECT_TRUE(DecodeDibIcon(dib).ok());
}

// A 4 x 4 8-bit DIB with one field changed; each limit on both sides (a
// size taken but larger than the bytes reads as cut short).
TEST(DibDecoder, RefusesWhatIconsDoNotUse) {
    struct Case { const char* label; size_t at; uint32_t value; int bytes; ExeIconError expected; uint16_t bits = 8; };
    const Case cases[] = {
        {"HeaderOf40", 0, 40, 4, ExeIconError::kNone},
        {"HeaderOf39", 0, 39, 4, ExeIconError::kNotDib},
        {"HeaderOf1024", 0, 1024, 4, ExeIconError::kTruncatedImage},
        {"HeaderOf1025", 0, 1025, 4, ExeIconError::kNotDib},
        {"Width1024", 4, 1024, 4, ExeIconError::kTruncatedImage},
        {"Width1025", 4, 1025, 4, ExeIconError::kImageTooLarge},
        {"Height1024", 8, 2048, 4, ExeIconError::kTruncatedImage},
        {"Height1025", 8, 2050, 4, ExeIconError::kImageTooLarge},
        {"HeightOne", 8, 3, 4, ExeIconError::kNone},
        {"FullPaletteNamed", 32, 256, 4, ExeIconError::kNone},
        {"OneColourPastFull", 32, 257, 4, ExeIconError::kUnsupportedDib},
        {"FourBitsOneColourPastFull", 32, 17, 4, ExeIconError::kUnsupportedDib, 4},
        {"TrueColourWith256Colours", 32, 256, 4, ExeIconError::kTruncatedImage, 24},
        {"TrueColourWith257Colours", 32, 257, 4, ExeIconError::kUnsupportedDib, 24},
        {"TopDown", 8, static_cast<uint32_t>(-8), 4, ExeIconError::kUnsupportedDib},
        {"Bitfields", 16, 3, 4, ExeIconError::kUnsupportedDib},
        {"TwoBits", 14, 2, 2, ExeIconError::kUnsupportedDib},
        {"CoreHeader", 0, 12, 4, ExeIconError::kUnsupportedDib},
        {"TooManyColours", 32, 300, 4, ExeIconError::kUnsupportedDib},
        {"TooWide", 4, 2000, 4, ExeIconError::kImageTooLarge},
        {"ZeroWidth", 4, 0, 4, ExeIconError::kImageTooLarge},
        {"ZeroHeight", 8, 1, 4, ExeIconError::kImageTooLarge},
        {"HeaderPastEnd", 0, 5000, 4, ExeIconError::kNotDib},
    };
    for (const Case& c : cases) {
        auto dib = pewriter::MakeSolidDib(4, 4, c.bits, 0x123456);
        if (c.bytes == 2)
            pewriter::Put16(dib, c.at, c.value);
        else
            pewriter::Put32(dib, c.at, c.value);
        EXPECT_EQ(DecodeDibIcon(dib).error, c.expected) << c.label;
        EXPECT_EQ(InspectIconImage(dib).has_value(), c.expected == ExeIconError::kNone) << c.label;
    }
}

TEST(IconImageInfo, PngSizeAndDepthComeFromIhdr) {
    auto png = pewriter::MakePng(40, 24, std::vector<uint32_t>(40 * 24, 0xFF000000));
    EXPECT_EQ(DecodeDibIcon(png).error, ExeIconError::kNotDib);
    auto info = InspectIconImage(png);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->format, ImageFormat::kPng);
    EXPECT_EQ(info->width, 40);
    EXPECT_EQ(info->height, 24);
    EXPECT_EQ(info->bitCount, 32);
    png[24] = 16;   // 16-bit RGB
    png[25] = 2;
    EXPECT_EQ(InspectIconImage(png)->bitCount, 48);
    png[25] = 5;    // no such colour type
    EXPECT_FALSE(InspectIconImage(png).has_value());
    png[25] = 6;
    png[18] = 0x10;   // width 4136
    EXPECT_FALSE(InspectIconImage(png).has_value());
    png[18] = 0x04, png[19] = 0x00;   // width 1024, the largest taken
    EXPECT_EQ(InspectIconImage(png)->width, 1024);
    png[19] = 0x01;
    EXPECT_FALSE(InspectIconImage(png).has_value());
    png[18] = 0, png[19] = 40, png[22] = 0x04, png[23] = 0x00;   // height 1024
    EXPECT_EQ(InspectIconImage(png)->height, 1024);
    png[23] = 0x01;
    EXPECT_FALSE(InspectIconImage(png).has_value());
    png[22] = 0, png[23] = 0;
    EXPECT_FALSE(InspectIconImage(png).has_value());
    EXPECT_FALSE(InspectIconImage(std::span<const uint8_t>(png.data(), 20)).has_value());
}

// PNG images are left to the caller's image library: the bytes the reader
// gives back decode there to the picture that was stored.
TEST(IconImageInfo, PngBytesDecodeWithQt) {
    std::vector<uint32_t> argb(3 * 2, 0x80FF0000);
    argb[4] = 0xFF00FF00;
    const auto png = pewriter::MakePng(3, 2, argb);
    QImage image;
    ASSERT_TRUE(image.loadFromData(png.data(), static_cast<int>(png.size())));
    image = image.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(0, 0), 0x80FF0000u);
    EXPECT_EQ(image.pixel(1, 1), 0xFF00FF00u);
}

} // namespace
