// Damaged and unsupported BMPs: each is refused with its own reason, and the
// header check refuses the same files before any pixel memory is taken.

#include "BmpTestDecode.h"
#include "BmpWriter.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

namespace {

using bmptest::BmpPlan;
using bmptest::Decode;
using imaging::bmp::BmpError;
using imaging::bmp::BmpErrorName;

BmpPlan Good24() {
    BmpPlan s;
    s.width = 3;
    s.height = 2;
    s.pixelData = bmptest::PackRows({{1, 2, 3}, {4, 5, 6}}, 24);
    return s;
}

BmpPlan GoodRle8() {
    BmpPlan s;
    s.width = 2;
    s.height = 2;
    s.bitCount = 8;
    s.compression = 1;
    s.palette = bmptest::RampPalette(256);
    s.pixelData = {2, 1, 0, 0, 0, 3, 7, 8, 9, 0, 0, 1};  // the absolute run's third pixel is dropped
    return s;
}

void Put32(std::vector<uint8_t>& file, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        file.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

struct Damage {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    BmpError expected;
};

std::function<std::vector<uint8_t>()> Edited(BmpPlan plan, std::function<void(BmpPlan&)> edit) {
    return [plan, edit]() mutable {
        edit(plan);
        return bmptest::WriteBmp(plan);
    };
}

// A bit-field picture of that bit count with these fields.
std::function<std::vector<uint8_t>()> Fields(uint16_t bitCount, std::vector<uint32_t> masks) {
    return Edited(Good24(), [bitCount, masks](BmpPlan& s) {
        s.bitCount = bitCount;
        s.compression = 3;
        s.masks = masks;
    });
}

std::function<std::vector<uint8_t>()> Cut(std::vector<uint8_t> file, size_t keep) {
    return [file, keep]() mutable {
        file.resize(keep);
        return file;
    };
}

std::function<std::vector<uint8_t>()> Cut(const BmpPlan& plan, size_t keep) {
    return Cut(bmptest::WriteBmp(plan), keep);
}

const Damage kDamages[] = {
    {"no signature", [] {
         std::vector<uint8_t> f = bmptest::WriteBmp(Good24());
         f[1] = 'A';
         return f;
     }, BmpError::kNotBmp},
    {"cut in the file header", Cut(Good24(), 13), BmpError::kTruncated},
    {"cut in the info header", Cut(Good24(), 53), BmpError::kTruncated},
    {"OS/2 2.x header", Edited(Good24(), [](BmpPlan& s) { s.infoSize = 64; }), BmpError::kBadHeader},
    {"header size 41", Edited(Good24(), [](BmpPlan& s) { s.infoSize = 41; }), BmpError::kBadHeader},
    {"two planes", Edited(Good24(), [](BmpPlan& s) { s.planes = 2; }), BmpError::kBadHeader},
    {"width 0", Edited(Good24(), [](BmpPlan& s) { s.width = 0; }), BmpError::kBadDimensions},
    {"width -1", Edited(Good24(), [](BmpPlan& s) { s.width = -1; }), BmpError::kBadDimensions},
    {"height 0", Edited(Good24(), [](BmpPlan& s) { s.height = 0; }), BmpError::kBadDimensions},
    {"height INT_MIN", Edited(Good24(), [](BmpPlan& s) { s.height = INT_MIN; }), BmpError::kBadDimensions},
    {"top-down RLE", Edited(GoodRle8(), [](BmpPlan& s) { s.height = -2; }), BmpError::kBadDimensions},
    {"core width 0", Edited(Good24(), [](BmpPlan& s) { s.infoSize = 12; s.width = 0; }), BmpError::kBadDimensions},
    {"bit count 0", Edited(Good24(), [](BmpPlan& s) { s.bitCount = 0; }), BmpError::kBadBitCount},
    {"bit count 3", Edited(Good24(), [](BmpPlan& s) { s.bitCount = 3; }), BmpError::kBadBitCount},
    {"bit count 48", Edited(Good24(), [](BmpPlan& s) { s.bitCount = 48; }), BmpError::kBadBitCount},
    {"16 bits in a core header", Edited(Good24(), [](BmpPlan& s) { s.infoSize = 12; s.bitCount = 16; }),
     BmpError::kBadBitCount},
    {"RLE8 at 4 bits", Edited(GoodRle8(), [](BmpPlan& s) { s.bitCount = 4; }), BmpError::kBadBitCount},
    {"RLE4 at 8 bits", Edited(GoodRle8(), [](BmpPlan& s) { s.compression = 2; }), BmpError::kBadBitCount},
    {"bit fields at 24 bits", Fields(24, {0xFF0000, 0xFF00, 0xFF}),
     BmpError::kBadBitCount},
    {"JPEG inside", Edited(Good24(), [](BmpPlan& s) { s.compression = 4; }), BmpError::kBadCompression},
    {"PNG inside", Edited(Good24(), [](BmpPlan& s) { s.compression = 5; }), BmpError::kBadCompression},
    {"compression 7", Edited(Good24(), [](BmpPlan& s) { s.compression = 7; }), BmpError::kBadCompression},
    {"overlapping fields", Fields(16, {0xF800, 0x0FE0, 0x1F}),
     BmpError::kBadMasks},
    {"field with a gap", Fields(16, {0xF000, 0x0A00, 0x1F}),
     BmpError::kBadMasks},
    {"16-bit field past bit 15", Fields(16, {0x1F000, 0x7E0, 0x1F}),
     BmpError::kBadMasks},
    {"alpha field cut", Cut(Edited(Good24(), [](BmpPlan& s) {
         s.bitCount = 32;
         s.compression = 6;
         s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
     })(), 14 + 40 + 12), BmpError::kTruncated},
    {"offset inside the header", Edited(Good24(), [](BmpPlan& s) { s.dataOffset = 53; }), BmpError::kBadOffset},
    {"offset past the end", [] {
         std::vector<uint8_t> f = bmptest::WriteBmp(Good24());
         Put32(f, 10, static_cast<uint32_t>(f.size() + 1));
         return f;
     }, BmpError::kBadOffset},
    {"offset 0xFFFFFFFF", [] {
         std::vector<uint8_t> f = bmptest::WriteBmp(Good24());
         Put32(f, 10, 0xFFFFFFFF);
         return f;
     }, BmpError::kBadOffset},
    {"cut in the colour table", Cut(GoodRle8(), 54 + 1023), BmpError::kTruncated},
    {"cut in the first row", Cut(Good24(), 54 + 5), BmpError::kTruncated},
    {"RLE codes cut before the last row", Cut(GoodRle8(), 54 + 1024 + 4), BmpError::kBadRle},
    {"RLE absolute run cut", Cut(GoodRle8(), 54 + 1024 + 7), BmpError::kBadRle},
    {"RLE delta cut", Edited(GoodRle8(), [](BmpPlan& s) { s.pixelData = {0, 2, 1}; }), BmpError::kBadRle},
    {"RLE no codes", Edited(GoodRle8(), [](BmpPlan& s) { s.pixelData = {}; }), BmpError::kTruncated},
    {"huge dimensions", Edited(Good24(), [](BmpPlan& s) { s.width = 0x7FFFFFFF; s.height = 0x7FFFFFFF; }),
     BmpError::kTooLarge},
};

TEST(BmpRejection, EachDamageHasItsReason) {
    for (const Damage& d : kDamages) {
        const std::vector<uint8_t> file = d.make();
        EXPECT_EQ(BmpErrorName(Decode(file).error), std::string(BmpErrorName(d.expected))) << d.name;
    }
}

// The same files, before the cut or damage, decode.
TEST(BmpRejection, TheUndamagedFilesDecode) {
    EXPECT_EQ(Decode(bmptest::WriteBmp(Good24())).error, BmpError::kOk);
    EXPECT_EQ(Decode(bmptest::WriteBmp(GoodRle8())).error, BmpError::kOk);
}

// The pixel limit, from the header alone, both sides of it.
TEST(BmpRejection, PixelLimitFromTheHeader) {
    BmpPlan s = Good24();  // 3 x 2
    const std::vector<uint8_t> file = bmptest::WriteBmp(s);
    EXPECT_EQ(Decode(file, 6).error, BmpError::kOk);
    EXPECT_EQ(Decode(file, 5).error, BmpError::kTooLarge);
    // A header claiming 65536 x 65536 with no rows at all: refused as too large
    // before anything else of the file is looked at.
    s.width = s.height = 65536;
    s.pixelData.clear();
    imaging::bmp::BmpHeader header;
    const std::vector<uint8_t> bomb = bmptest::WriteBmp(s);
    EXPECT_EQ(imaging::bmp::ReadBmpHeader(bomb.data(), bomb.size(), int64_t{1} << 26, &header),
              BmpError::kTooLarge);
}

// The header check on the first bytes alone: dimensions, and the least the
// whole file must hold.
TEST(BmpHeaderCheck, DimensionsAndMinimumSizeFromTheFirstBytes) {
    BmpPlan s = Good24();
    s.height = -2;
    std::vector<uint8_t> file = bmptest::WriteBmp(s);
    imaging::bmp::BmpHeader header;
    ASSERT_EQ(imaging::bmp::ReadBmpHeader(file.data(), 54, 100, &header), BmpError::kOk);
    EXPECT_EQ(header.width, 3);
    EXPECT_EQ(header.height, 2);
    EXPECT_TRUE(header.topDown);
    EXPECT_EQ(header.minimumFileSize(), 54u + 12 + 9);  // first row padded to 12, second without padding
    BmpPlan rle = GoodRle8();
    file = bmptest::WriteBmp(rle);
    ASSERT_EQ(imaging::bmp::ReadBmpHeader(file.data(), 54, 100, &header), BmpError::kOk);
    EXPECT_EQ(header.minimumFileSize(), 54u + 1024 + 1);  // the whole table and one byte of codes
}

} // namespace
