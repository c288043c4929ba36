// PNG pictures through LoadPicture: our decoder takes every PNG, also one
// stored inside an icon file, with exact pixels where the general reader
// was wrong (16-bit tRNS, interlaced low depths).

#include "PngCorpus.h"
#include "SpngOracle.h"
#include "TestSupport.h"

#include "libs/imaging/Imaging.h"
#include "libs/imaging/SourcePicture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<uint8_t> Pixels(const imaging::SourcePicture& picture) {
    const imaging::PixelView v = picture.pixels();
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < v.height; ++y)
        out.insert(out.end(), v.row(y), v.row(y) + 4 * v.width);
    return out;
}

std::vector<uint8_t> Expected(const std::vector<uint8_t>& png) {
    const pngtest::OracleResult r = pngtest::SpngDecode(png.data(), png.size(), uint64_t{1} << 26);
    EXPECT_TRUE(r.ok);
    return r.bgra;
}

// An icon file whose one image is the given bytes.
std::vector<uint8_t> IconHolding(const std::vector<uint8_t>& image) {
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    for (uint32_t v : {static_cast<uint32_t>(image.size()), 22u})
        for (int i = 0; i < 4; ++i)
            ico.push_back(static_cast<uint8_t>(v >> (8 * i)));
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

pngtest::PngPlan Transparent16(uint8_t colourType) {
    pngtest::PngPlan s = pngtest::RandomPlan({colourType, 16}, 16, 16, false, 3);
    pngtest::AddTransparency(&s, 3);
    return s;
}

TEST(PngPicture, SixteenBitTransparencyAtTruecolourAndGrey) {
    for (uint8_t type : {uint8_t{2}, uint8_t{0}}) {
        const std::vector<uint8_t> png = pngtest::EncodePng(Transparent16(type));
        const auto picture = imaging::LoadPictureFromMemory(png.data(), png.size());
        ASSERT_TRUE(picture);
        const std::vector<uint8_t> pixels = Pixels(*picture);
        EXPECT_EQ(pixels[3], 0) << "the tRNS colour is transparent";
        EXPECT_EQ(pixels[7], 255) << "a colour differing in the low byte is not";
        EXPECT_EQ(pixels, Expected(png));
    }
}

TEST(PngPicture, InterlacedLowDepthsAreExact) {
    for (const pngtest::PngFormat format : {pngtest::PngFormat{0, 1}, pngtest::PngFormat{3, 1},
                                            pngtest::PngFormat{3, 2}, pngtest::PngFormat{0, 4}}) {
        const std::vector<uint8_t> png = pngtest::EncodePng(pngtest::RandomPlan(format, 37, 23, true, 11));
        const auto picture = imaging::LoadPictureFromMemory(png.data(), png.size());
        ASSERT_TRUE(picture) << pngtest::FormatName(format);
        EXPECT_EQ(Pixels(*picture), Expected(png)) << pngtest::FormatName(format);
    }
}

// Read from a file named anything, and only the bytes decide.
TEST(PngPicture, FromAFileWhateverItsName) {
    testsupport::TempDir dir;
    const std::vector<uint8_t> png = pngtest::EncodePng(Transparent16(2));
    testsupport::WriteBytes(dir / "picture.bmp", png);
    const auto picture = imaging::LoadPicture((dir / "picture.bmp").string());
    ASSERT_TRUE(picture);
    EXPECT_EQ(Pixels(*picture), Expected(png));
}

TEST(PngPicture, PngInsideAnIconFile) {
    const std::vector<uint8_t> png = pngtest::EncodePng(Transparent16(2));
    const std::vector<uint8_t> ico = IconHolding(png);
    const auto picture = imaging::LoadPictureFromMemory(ico.data(), ico.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(Pixels(*picture), Expected(png));

    std::vector<uint8_t> damaged = ico;
    damaged[ico.size() - 20] ^= 0x10;  // inside IDAT: its checksum fails
    EXPECT_FALSE(imaging::LoadPictureFromMemory(damaged.data(), damaged.size()));
    const std::vector<uint8_t> cut(ico.begin(), ico.end() - 40);
    EXPECT_FALSE(imaging::LoadPictureFromMemory(cut.data(), cut.size()));
}

TEST(PngPicture, DamagedPngFailsWhateverThePixelLimit) {
    std::vector<uint8_t> png = pngtest::EncodePng(pngtest::RandomPlan({6, 8}, 20, 20, false, 4));
    png[png.size() - 30] ^= 1;
    EXPECT_FALSE(imaging::LoadPictureFromMemory(png.data(), png.size()));
    const std::vector<uint8_t> good = pngtest::EncodePng(pngtest::RandomPlan({6, 8}, 20, 20, false, 4));
    EXPECT_FALSE(imaging::LoadPictureFromMemory(good.data(), good.size(), 399));
    EXPECT_TRUE(imaging::LoadPictureFromMemory(good.data(), good.size(), 400));
}

} // namespace
