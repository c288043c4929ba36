// Concrete pixel bytes of a 2 x 2 picture at every depth, worked out by hand:
// rows bottom first, transparent pixels 0, 5-5-5 rounding, nibble order,
// mask bits from the most significant bit.
#include "IconTestImages.h"

#include "libs/icofile/ColourReduction.h"

#include <gtest/gtest.h>

using namespace icofile;
using namespace icotest;

namespace {

// Top left (200,10,20), top right (0,255,128) at alpha 128 but opaque in the
// mask, bottom left (40,90,250), bottom right transparent in the mask though
// its colour and alpha are not 0.
TestImage TwoByTwo() {
    return MakeImage(2, [](int32_t x, int32_t y) -> Pixel {
        if (y == 0)
            return x == 0 ? Pixel{200, 10, 20, 255, false} : Pixel{0, 255, 128, 128, false};
        return x == 0 ? Pixel{40, 90, 250, 255, false} : Pixel{50, 60, 70, 30, true};
    });
}

// Mask rows, bottom first: bottom right transparent = bit 6 of the first byte.
const std::vector<uint8_t> kMaskRows = {0x40, 0, 0, 0, 0, 0, 0, 0};

struct PixelCase {
    uint32_t colourCount;
    std::vector<uint8_t> table;   // the used entries; the rest must be zero
    uint32_t tableEntries;
    std::vector<uint8_t> rows;    // colour rows, bottom first
};

class TwoByTwoPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(TwoByTwoPixels, StoredBytes) {
    const PixelCase c = GetParam();
    const std::vector<uint8_t> data = EncodeImageData(TwoByTwo().colour, TwoByTwo().mask, c.colourCount);
    const size_t tableBytes = 4 * size_t{c.tableEntries};
    ASSERT_EQ(data.size(), 40 + tableBytes + c.rows.size() + kMaskRows.size());

    std::vector<uint8_t> table = c.table;
    table.resize(tableBytes, 0);
    EXPECT_EQ(Slice(data, 40, tableBytes), table);
    EXPECT_EQ(Slice(data, 40 + tableBytes, c.rows.size()), c.rows);
    EXPECT_EQ(Slice(data, 40 + tableBytes + c.rows.size(), kMaskRows.size()), kMaskRows);
}

// Palette, sorted as 0xRRGGBB: black (for the transparent pixel), (0,255,128),
// (40,90,250), (200,10,20); each entry blue, green, red, 0.
const std::vector<uint8_t> kPalette = {0, 0, 0, 0, 0x80, 0xFF, 0x00, 0, 0xFA, 0x5A, 0x28, 0, 0x14, 0x0A, 0xC8, 0};

INSTANTIATE_TEST_SUITE_P(
    Depths, TwoByTwoPixels,
    ::testing::Values(
        PixelCase{kColours32Bit, {}, 0, {250, 90, 40, 255, 0, 0, 0, 0, 20, 10, 200, 255, 128, 255, 0, 128}},
        PixelCase{kColours24Bit, {}, 0, {250, 90, 40, 0, 0, 0, 0, 0, 20, 10, 200, 128, 255, 0, 0, 0}},
        // 5-bit values (c x 31 + 127) / 255: 40->5 90->11 250->30 | 200->24 10->1 20->2 | 0, 255->31, 128->16
        PixelCase{kColours16Bit, {}, 0, {0x7E, 0x15, 0, 0, 0x22, 0x60, 0xF0, 0x03}},
        PixelCase{kColours8Bit, kPalette, 256, {2, 0, 0, 0, 3, 1, 0, 0}},
        PixelCase{kColours4Bit, kPalette, 16, {0x20, 0, 0, 0, 0x31, 0, 0, 0}}));

TEST(PixelBytes, RoundingToFiveBits) {
    EXPECT_EQ(ToRgb555(255, 255, 255), 0x7FFF);
    EXPECT_EQ(ToRgb555(0, 0, 0), 0);
    // 4 x 31 / 255 = 0.49 rounds down, 5 x 31 / 255 = 0.61 up.
    EXPECT_EQ(ToRgb555(4, 5, 0), 0 << 10 | 1 << 5 | 0);
    EXPECT_EQ(ToRgb555(128, 0, 127), 16 << 10 | 15);
    // The only values within 1/255 of a half: 37 x 31 / 255 = 4.498 and
    // 218 x 31 / 255 = 26.502, with a neighbour on each side.
    EXPECT_EQ(ToRgb555(36, 37, 38), 4 << 10 | 4 << 5 | 5);
    EXPECT_EQ(ToRgb555(217, 218, 219), 26 << 10 | 27 << 5 | 27);
}

TEST(PixelBytes, OddWidthPacking) {
    // 3 x 3: the third pixel of a 4-bit row sits in the high half of byte 1;
    // the mask's 3 bits fill the top of byte 0.
    const TestImage image = MakeImage(3, [](int32_t x, int32_t y) -> Pixel {
        if (x == 2)
            return {0, 0, 0, 0, true};
        return {static_cast<uint8_t>(100 + 10 * x + y), 5, 5, 255, false};
    });
    const std::vector<uint8_t> data = EncodeImageData(image.colour, image.mask, kColours4Bit);
    ASSERT_EQ(data.size(), 40u + 64u + 3 * 4u + 3 * 4u);
    // Palette: black, then red 100, 101, 102, 110, 111, 112 -> entries 1..6.
    // Bottom row (y = 2): 102 -> 3, 112 -> 6, transparent -> 0.
    EXPECT_EQ(Slice(data, 104, 4), (std::vector<uint8_t>{0x36, 0x00, 0, 0}));
    EXPECT_EQ(Slice(data, 112, 4), (std::vector<uint8_t>{0x14, 0x00, 0, 0}));
    for (size_t row = 0; row < 3; ++row)
        EXPECT_EQ(Slice(data, 116 + 4 * row, 4), (std::vector<uint8_t>{0x20, 0, 0, 0}));
}

} // namespace
